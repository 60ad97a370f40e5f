// LoadBodyFromFile on fuzzed file contents: a body load changes only the body
// of its kind. Input: the kind (the byte modulo 8, less 1), then the file.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "FuzzInput.h"
#include "smtpclient/encoding/CodePage.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

// The body file of this process, removed when the process ends.
struct BodyFile {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path()
        / ("smtpclient-fuzz-body-" + std::to_string(getpid()) + ".html");
    ~BodyFile() { Remove(); }
    void Remove() const
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

} // namespace

int FuzzBodyFromFile(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const BodyFile kFile;
    // A fresh file each time: ext4 flushes a truncated and rewritten file to
    // disk when it is closed, which would slow every input down to the disk.
    kFile.Remove();
    Expect(bool(std::ofstream(kFile.path, std::ios::binary)
                    .write(reinterpret_cast<const char*>(data + 1),
                           static_cast<std::streamsize>(size - 1))),
           "cannot write the body file");
    SMTPClientNS::WString path;
    SMTPClientNS::CodePageToWide(kFile.path.string().c_str(), path, SMTPClientNS::kUtf8CodePage);

    const int kind = data[0] % 8 - 1;
    const SMTPClientNS::WString oldText = SMTPCLIENT_TEXT("old text");
    const SMTPClientNS::WString oldHtml = SMTPCLIENT_TEXT("<p>old html</p>");
    SMTPClientNS::CMimeMessage message;
    message.SetTextBody(oldText.c_str());
    message.SetHtmlBody(oldHtml.c_str());
    message.LoadBodyFromFile(path.c_str(), kind);
    Expect(kind == 0 || kind == 1 || message.GetTextBody() == oldText,
           "a load of another kind changed the text body");
    Expect((kind >= 2 && kind <= 5) || message.GetHtmlBody() == oldHtml,
           "a load of another kind changed the HTML body");
    return 0;
}

} // namespace SMTPClientFuzz
