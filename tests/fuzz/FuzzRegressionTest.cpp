// Replays the seed corpus, which holds every input that once broke a target;
// the charset converter's test checks the charset names such seeds carry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzInput.h"

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

} // namespace
