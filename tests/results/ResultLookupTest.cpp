#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

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
        if (row.first == OutcomeOf(CURLE_OK)) {
            EXPECT_EQ(kResultSuccess, code);
            EXPECT_TRUE(U8(ToResultText(OutcomeOf(CURLE_OK))).empty());
            continue;
        }
        EXPECT_TRUE(failureCodes.insert(code).second) << "code " << code << " given twice";
        EXPECT_FALSE(U8(ToResultText(row.first)).empty()) << "outcome " << ValueOf(row.first);
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
    for (RawOutcome code :
         {RawOutcome::kConversionInvalidParameter, RawOutcome::kConversionOutOfMemory,
          RawOutcome::kConversionUnsupported, RawOutcome::kConversionFailed})
        EXPECT_EQ(ValueOf(code), ToResultCode(code));
    EXPECT_EQ(kResultGeneralError, ToResultCode(RawOutcome::kGeneralErrorKey));
    const std::string general = U8(ToResultText(RawOutcome::kGeneralErrorKey));
    EXPECT_EQ("A general error occurred", general);
    for (int32_t raw :
         {static_cast<int32_t>(CURLE_NOT_BUILT_IN), 999, ValueOf(RawOutcome::kBadState),
          static_cast<int32_t>(kResultNoSender), INT32_MIN}) {
        EXPECT_EQ(kResultGeneralError, ToResultCode(static_cast<RawOutcome>(raw))) << raw;
        EXPECT_EQ(general, U8(ToResultText(static_cast<RawOutcome>(raw)))) << raw;
    }
}

// Every language has its own texts for the same rows; one outside 0 to 10
// is English.
TEST(ResultLookup, EveryLanguageHasTheSameRowsAndOthersFallBackToEnglish)
{
    const ResultTable english = BuildResultTable(0);
    for (int32_t language = 1; language < 11; ++language) {
        const ResultTable table = BuildResultTable(language);
        ASSERT_EQ(english.size(), table.size()) << "language " << language;
        for (const auto& row : english) {
            const auto found = table.find(row.first);
            ASSERT_NE(table.end(), found)
                << "language " << language << ", outcome " << ValueOf(row.first);
            EXPECT_EQ(row.second.resultCode, found->second.resultCode);
            EXPECT_EQ(row.first == RawOutcome::kSuccess, U8(found->second.message).empty())
                << "language " << language << ", outcome " << ValueOf(row.first);
        }
        EXPECT_NE(U8(english.at(RawOutcome::kGeneralErrorKey).message),
                  U8(table.at(RawOutcome::kGeneralErrorKey).message))
            << "language " << language;
    }
    for (int32_t language : {-1, 11, INT32_MAX})
        for (const auto& row : BuildResultTable(language))
            EXPECT_EQ(english.at(row.first).message, row.second.message) << "language " << language;
}

} // namespace
