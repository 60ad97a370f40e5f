#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <curl/curl.h>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

// The process-wide table is English here: only the child process below
// selects another language. Which outcome gets which code is checked by the
// sends that end in them; here, what must hold for every row.
TEST(ResultLookup, SuccessIsOneAndEveryFailureHasACodeOfItsOwn)
{
    std::set<int32_t> failureCodes;
    for (const auto& row : GetResultTable()) {
        const int32_t code = ToResultCode(row.first);
        if (row.first == CURLE_OK) {
            EXPECT_EQ(kResultSuccess, code);
            EXPECT_TRUE(U8(ToResultText(CURLE_OK)).empty());
            continue;
        }
        EXPECT_TRUE(failureCodes.insert(code).second) << "code " << code << " given twice";
        EXPECT_FALSE(U8(ToResultText(row.first)).empty()) << "outcome " << row.first;
    }
    // Failures are numbered -1 down to one below the number of rows, no gaps.
    const int32_t lowest = -static_cast<int32_t>(GetResultTable().size() - 1);
    EXPECT_EQ(lowest, *failureCodes.begin());
    EXPECT_EQ(kResultGeneralError, *failureCodes.rbegin());
}

// A conversion failure already carries its result code, and an outcome
// without a row, a result code looked up again among them, is a general
// error.
TEST(ResultLookup, ConversionCodesPassThroughAndUnknownOutcomesAreGeneralErrors)
{
    for (int32_t code : {kOutcomeConversionInvalidParameter, kOutcomeConversionOutOfMemory,
                         kOutcomeConversionUnsupported, kOutcomeConversionFailed})
        EXPECT_EQ(code, ToResultCode(code));
    EXPECT_EQ(kResultGeneralError, ToResultCode(kGeneralErrorKey));
    const std::string general = U8(ToResultText(kGeneralErrorKey));
    EXPECT_EQ("A general error occurred", general);
    for (int32_t raw : {static_cast<int32_t>(CURLE_NOT_BUILT_IN), 999, kOutcomeBadState,
                        kResultNoSender, INT32_MIN}) {
        EXPECT_EQ(kResultGeneralError, ToResultCode(raw)) << raw;
        EXPECT_EQ(general, U8(ToResultText(raw))) << raw;
    }
}

// Every language has its own texts for the same rows; one outside 0 to 10
// is English.
TEST(ResultLookup, EveryLanguageHasTheSameRowsAndOthersFallBackToEnglish)
{
    const ResultTable english = BuildResultTable(0);
    for (int32_t language = 1; language < 11; ++language) {
        const ResultTable table = BuildResultTable(language);
        for (const auto& row : english) {
            const auto found = table.find(row.first);
            ASSERT_NE(table.end(), found) << "language " << language << ", outcome " << row.first;
            EXPECT_EQ(row.second.resultCode, found->second.resultCode);
            EXPECT_EQ(row.first == 0, U8(found->second.message).empty())
                << "language " << language << ", outcome " << row.first;
        }
        EXPECT_NE(U8(english.at(kGeneralErrorKey).message), U8(table.at(kGeneralErrorKey).message))
            << "language " << language;
    }
    for (int32_t language : {-1, 11, INT32_MAX})
        for (const auto& row : BuildResultTable(language))
            EXPECT_EQ(english.at(row.first).message, row.second.message) << "language " << language;
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
            std::exit(U8(ToResultText(kGeneralErrorKey)) == "Une erreur générale s'est produite."
                          ? 0
                          : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
