// Replays the seed corpus, which holds every input that once broke a target,
// and checks each finding's fix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzInput.h"
#include "TestText.h"
#include "smtpclient/encoding/CharsetConverter.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

TEST(FuzzCorpus, EverySeedPassesItsTarget)
{
    const std::pair<const char*, int (*)(const uint8_t*, size_t)> targets[] = {
        {"header_block", SMTPClientFuzz::FuzzHeaderBlock},
        {"embed_html_images", SMTPClientFuzz::FuzzEmbedHtmlImages},
        {"trace_format", SMTPClientFuzz::FuzzTraceFormat},
        {"charset_conversion", SMTPClientFuzz::FuzzCharsetConversion},
        {"address_check", SMTPClientFuzz::FuzzAddressCheck},
        {"body_from_file", SMTPClientFuzz::FuzzBodyFromFile},
        {"wire_lines", SMTPClientFuzz::FuzzWireLines},
    };
    for (const auto& [corpus, run] : targets) {
        size_t seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(SMTPCLIENT_FUZZ_CORPUS) / corpus)) {
            SCOPED_TRACE(entry.path().string());
            std::ifstream file(entry.path(), std::ios::binary);
            const std::string input{std::istreambuf_iterator<char>(file),
                                    std::istreambuf_iterator<char>()};
            run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
            ++seeds;
        }
        EXPECT_GT(seeds, 0u) << corpus;
    }
}

// iconv skips control characters, spaces and 8-bit bytes when it matches a
// charset name, so "iso\r8859-1" used to convert, and its CR split the header
// line it went into; the seeds charset_with_cr, charset_with_crlf and
// charset_with_space replay that through the targets. "UTF-8 x" made encoded
// words that no reader decodes, so the "=?" they start showed as it stood.
// Such a name is now unsupported.
TEST(FuzzFindings, CharsetNameWithControlCharacterIsUnsupported)
{
    for (const std::string name : {"iso\r8859-1", "utf-8//\r\nBcc: x@example.com", "utf\t-8",
                                   "utf-8\x7f", "UTF-8 x", "UTF-8\xC3\x9B", "UTF-8?"}) {
        char* out = nullptr;
        size_t length = 0;
        EXPECT_EQ(-21, ConvertUtf16ToCharset(GetSharedConverter(), name, W("Grüße").c_str(), &out,
                                             &length))
            << testing::PrintToString(name);
    }
}

} // namespace
