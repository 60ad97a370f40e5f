// Replays the seed corpus and the inputs that once broke a target through
// the fuzz targets, in the ordinary build and under its sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzTargets.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/encoding/CharsetConverter.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

struct NamedTarget {
    const char* corpus;
    int (*run)(const uint8_t*, size_t);
};

const NamedTarget kTargets[] = {
    {"header_block", SMTPClientFuzz::FuzzHeaderBlock},
    {"embed_html_images", SMTPClientFuzz::FuzzEmbedHtmlImages},
    {"trace_format", SMTPClientFuzz::FuzzTraceFormat},
    {"charset_conversion", SMTPClientFuzz::FuzzCharsetConversion},
    {"address_check", SMTPClientFuzz::FuzzAddressCheck},
    {"body_from_file", SMTPClientFuzz::FuzzBodyFromFile},
};

TEST(FuzzCorpus, EverySeedPassesItsTarget)
{
    for (const NamedTarget& target : kTargets) {
        const std::filesystem::path folder = std::filesystem::path(SMTPCLIENT_FUZZ_CORPUS) / target.corpus;
        size_t seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path().string());
            std::ifstream file(entry.path(), std::ios::binary);
            const std::string input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            target.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
            ++seeds;
        }
        EXPECT_GT(seeds, 0u) << target.corpus;
    }
}

// iconv skips control characters when it matches a charset name, so
// "iso\r8859-1" used to convert, and the name, written into the encoded words
// of the header block, split a header line with its CR. Such a name is now
// unsupported: header text it cannot encode is left out, and a sender name
// that needs encoding fails the block.
TEST(FuzzFindings, CharsetNameWithControlCharacterIsUnsupportedAndAddsNoHeaderLine)
{
    for (const std::string name : {"iso\r8859-1", "utf-8\n", "utf-8//\r\nBcc: x@example.com", "utf\t-8",
                                   "utf-8\x7f"}) {
        SCOPED_TRACE(testing::PrintToString(name));
        char* out = nullptr;
        size_t length = 0;
        EXPECT_EQ(-21, ConvertUtf16ToCharset(GetSharedConverter(), name, W("Grüße").c_str(), &out, &length));

        CMimeMessage message;
        message.SetCharset(W(name).c_str());
        message.AddTo(W("max@example.de").c_str(), nullptr);
        message.SetSubject(W("Grüße aus Köln").c_str());
        CSmtpClient client(new CSmtpClientWrapper());
        client.SetMimeMessage(&message);
        std::string block;
        EXPECT_EQ(0, BuildHeaderBlock(&client, block));
        EXPECT_NE(std::string::npos, block.find("\r\nSubject: \r\nMessage - ID: "));
        for (const char* fromName : {"8859", "utf", "Bcc"})
            EXPECT_EQ(std::string::npos, block.find(fromName)) << block;

        message.SetFrom(W("max@example.de").c_str(), W("Mäx").c_str());
        block.clear();
        EXPECT_EQ(-21, BuildHeaderBlock(&client, block));
        EXPECT_EQ("", block);
        client.SetMimeMessage(nullptr);
    }
    char* out = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, ConvertUtf16ToCharset(GetSharedConverter(), "utf-8", W("é").c_str(), &out, &length));
    EXPECT_EQ("\xc3\xa9", std::string(out, length));
    FreeConverted(out);
}

} // namespace
