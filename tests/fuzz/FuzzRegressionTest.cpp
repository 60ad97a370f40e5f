// Replays the seed corpus and the inputs that once broke a target through
// the fuzz targets, in the ordinary build and under its sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/encoding/CharsetConverter.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

namespace {

typedef int (*FuzzTarget)(const uint8_t*, size_t);

struct NamedTarget {
    const char* corpus;
    FuzzTarget run;
};

const NamedTarget kTargets[] = {
    {"header_block", SMTPClientFuzz::FuzzHeaderBlock},
    {"embed_html_images", SMTPClientFuzz::FuzzEmbedHtmlImages},
    {"trace_format", SMTPClientFuzz::FuzzTraceFormat},
    {"charset_conversion", SMTPClientFuzz::FuzzCharsetConversion},
    {"address_check", SMTPClientFuzz::FuzzAddressCheck},
    {"body_from_file", SMTPClientFuzz::FuzzBodyFromFile},
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void RunInput(FuzzTarget target, const std::string& input)
{
    target(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(FuzzCorpus, EverySeedPassesItsTarget)
{
    for (const NamedTarget& target : kTargets) {
        const std::filesystem::path folder = std::filesystem::path(SMTPCLIENT_FUZZ_CORPUS) / target.corpus;
        size_t seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path().string());
            RunInput(target.run, ReadFile(entry.path()));
            ++seeds;
        }
        EXPECT_GT(seeds, 0u) << target.corpus;
    }
}

// iconv skips control characters when it matches a charset name, so
// "iso\r8859-1" used to convert, and the name, written into the encoded words
// of the header block, split a header line with its CR.
const char* const kNamesWithControls[] = {"iso\r8859-1", "utf-8\n", "utf-8//\r\nBcc: x@example.com",
                                          "utf\t-8", "utf-8\x7f"};

TEST(FuzzFindings, CharsetNameWithControlCharacterIsUnsupported)
{
    for (const char* name : kNamesWithControls) {
        SCOPED_TRACE(name);
        char* out = nullptr;
        size_t length = 0;
        EXPECT_EQ(-21, SMTPClientNS::ConvertUtf16ToCharset(SMTPClientNS::GetSharedConverter(), name,
                                                           SMTPClientTest::W("Grüße").c_str(), &out, &length));
    }
    char* out = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, SMTPClientNS::ConvertUtf16ToCharset(SMTPClientNS::GetSharedConverter(), "utf-8",
                                                     SMTPClientTest::W("é").c_str(), &out, &length));
    EXPECT_EQ(std::string("\xc3\xa9"), std::string(out, length));
    SMTPClientNS::FreeConverted(out);
}

TEST(FuzzFindings, CharsetNameWithLineBreakAddsNoHeaderLine)
{
    SMTPClientNS::CMimeMessage message;
    message.SetCharset(SMTPClientTest::W("iso\r8859-1").c_str());
    message.AddTo(SMTPClientTest::W("max@example.de").c_str(), nullptr);
    message.SetSubject(SMTPClientTest::W("Grüße aus Köln").c_str());
    SMTPClientNS::CSmtpClient client(new SMTPClientNS::CSmtpClientWrapper());
    client.SetMimeMessage(&message);

    std::string block;
    EXPECT_EQ(0, SMTPClientNS::BuildHeaderBlock(&client, block));
    EXPECT_NE(std::string::npos, block.find("\r\nSubject: \r\nMessage - ID: "));
    EXPECT_EQ(std::string::npos, block.find("8859"));

    message.SetFrom(SMTPClientTest::W("max@example.de").c_str(), SMTPClientTest::W("Mäx").c_str());
    block.clear();
    EXPECT_EQ(-21, SMTPClientNS::BuildHeaderBlock(&client, block));
    EXPECT_EQ("", block);
    client.SetMimeMessage(nullptr);
}

} // namespace
