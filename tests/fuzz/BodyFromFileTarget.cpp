// LoadBodyFromFile on fuzzed file contents. The contents go to one
// temporary file per process, rewritten for every input.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/encoding/CodePage.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

// The body file of this process, removed when the process ends.
class BodyFile {
public:
    BodyFile()
        : path_(std::filesystem::temp_directory_path()
                / ("smtpclient-fuzz-body-" + std::to_string(getpid()) + ".html"))
    {
        SMTPClientNS::CodePageToWide(path_.string().c_str(), widePath_, SMTPClientNS::kUtf8CodePage);
    }
    ~BodyFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;

    // A fresh file each time: ext4 flushes a truncated and rewritten file to
    // disk when it is closed, which would slow every input down to the disk.
    const SMTPClientNS::SmtpChar* Write(const uint8_t* data, size_t size) const
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        std::ofstream file(path_, std::ios::binary);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        Expect(file.good(), "cannot write the body file");
        return widePath_.c_str();
    }

private:
    std::filesystem::path path_;
    SMTPClientNS::WString widePath_;
};

const SMTPClientNS::SmtpChar kOldText[] = SMTPCLIENT_TEXT("old text");
const SMTPClientNS::SmtpChar kOldHtml[] = SMTPCLIENT_TEXT("<p>old html</p>");

} // namespace

int FuzzBodyFromFile(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const BodyFile bodyFile;
    const int kind = data[0] % 8 - 1;
    const SMTPClientNS::SmtpChar* path = bodyFile.Write(data + 1, size - 1);

    SMTPClientNS::CMimeMessage message;
    message.SetTextBody(kOldText);
    message.SetHtmlBody(kOldHtml);
    message.LoadBodyFromFile(path, kind);

    // A text kind leaves the HTML body alone and the other way round.
    const bool textKind = kind == 0 || kind == 1;
    const bool htmlKind = kind >= 2 && kind <= 5;
    if (!textKind)
        Expect(SMTPClientNS::WString(message.GetTextBody()) == kOldText, "text body changed");
    if (!htmlKind)
        Expect(SMTPClientNS::WString(message.GetHtmlBody()) == kOldHtml, "HTML body changed");
    return 0;
}

} // namespace SMTPClientFuzz
