#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

// The process-wide table is English here: only the child process below
// selects another language.
TEST(ResultLookup, KnownOutcomesMapToTheirCodesAndTheRestToTheGeneralRow)
{
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {-22, -22}, {-21, -21}, {-20, -20}, {-19, -19}, {-3, -18}, {-2, -17},
        {0, 1}, {1, -7}, {2, -2}, {3, -6}, {5, -3}, {6, -4}, {7, -5},
        {10, -10}, {26, -16}, {28, -11}, {35, -8}, {55, -13}, {56, -14},
        {60, -9}, {67, -12}, {94, -15}, {100, -1}};
    std::vector<std::pair<int32_t, int32_t>> actual;
    for (const auto& row : GetResultTable())
        actual.emplace_back(row.first, ToResultCode(row.first));
    EXPECT_EQ(expected, actual);
    EXPECT_EQ("No recipients have been specified.", U8(ToResultText(-3)));

    // A result code looked up again (-17) is a raw outcome like any other.
    for (int32_t raw : {4, 999, -1, -17, INT32_MIN}) {
        EXPECT_EQ(-1, ToResultCode(raw)) << raw;
        EXPECT_EQ("A general error occurred", U8(ToResultText(raw))) << raw;
    }
}

// The table is built once, in the language chosen before its first use, by
// whichever of the concurrent first callers comes first: so this runs in a
// fresh copy of the program.
TEST(ResultTableOnce, ConcurrentFirstCallersShareOneBuiltTable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetMessageLanguage(4);
            std::atomic<int> ready(0);
            std::vector<const ResultTable*> seen(8, nullptr);
            std::vector<std::thread> threads;
            for (size_t i = 0; i < seen.size(); ++i)
                threads.emplace_back([&, i] {
                    for (++ready; ready.load() < 8;)
                        std::this_thread::yield();
                    seen[i] = &GetResultTable();
                });
            for (std::thread& thread : threads)
                thread.join();
            for (const ResultTable* table : seen)
                if (table != seen[0])
                    std::exit(1);
            SetMessageLanguage(10);
            std::exit(U8(ToResultText(GeneralErrorKey)) == "Une erreur générale s'est produite." ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
