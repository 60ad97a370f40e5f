#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ConverterHelpers.h"
#include "TestText.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

// Two threads alternate charsets on the one shared converter, so that each
// conversion reopens it; every result must still be exact.
TEST(SharedConverterConcurrency, ParallelConversionsWithDifferentCharsetsStayExact)
{
    const int kRounds = 400;
    std::atomic<int> wrong(0);
    auto run = [&wrong](const char* charset, WString text, std::string expected) {
        for (int i = 0; i < kRounds; ++i) {
            Conversion conversion = Convert(GetSharedConverter(), charset, text);
            if (conversion.result != 0 || conversion.bytes != expected)
                ++wrong;
        }
    };
    std::thread latin(run, "ISO-8859-1", W("Grüße"), std::string("Gr\xFC\xDF" "e"));
    std::thread japanese(run, "Shift_JIS", W("日本"), std::string("\x93\xFA\x96\x7B"));
    latin.join();
    japanese.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
