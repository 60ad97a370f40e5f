#include "FileContentType.h"

#include <cstring>

namespace SMTPClientNS {

namespace {

struct TypeByEnding {
    const char* ending;
    const char* type;
};

// The endings libcurl itself recognises for file parts, in its order. Its
// guess text/plain is the default type of mail, which it does not write.
const TypeByEnding kTypes[] = {
    {".gif", "image/gif"},       {".jpg", "image/jpeg"},    {".jpeg", "image/jpeg"},
    {".png", "image/png"},       {".svg", "image/svg+xml"}, {".txt", ""},
    {".htm", "text/html"},       {".html", "text/html"},    {".pdf", "application/pdf"},
    {".xml", "application/xml"},
};

bool EndsWithIgnoringCase(const char* text, size_t length, const char* ending)
{
    const size_t endingLength = std::strlen(ending);
    if (length < endingLength)
        return false;
    const char* tail = text + length - endingLength;
    for (size_t i = 0; i < endingLength; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != ending[i])
            return false;
    }
    return true;
}

} // namespace

const char* FileContentType(const char* fileName)
{
    const size_t length = std::strlen(fileName);
    for (const TypeByEnding& entry : kTypes) {
        if (EndsWithIgnoringCase(fileName, length, entry.ending))
            return entry.type;
    }
    return "application/octet-stream";
}

} // namespace SMTPClientNS
