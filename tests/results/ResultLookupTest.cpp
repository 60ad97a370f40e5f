#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <curl/curl.h>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

// The process-wide table is English here. Which outcome gets which code is
// checked by the sends that end in them; here, the rules of the lookup.
// Success is 1; a conversion failure already carries its result code, and
// an outcome without a row, a result code looked up again among them, is a
// general error.
TEST(ResultLookup, ConversionCodesPassThroughAndUnknownOutcomesAreGeneralErrors)
{
    EXPECT_EQ(kResultSuccess, ToResultCode(OutcomeOf(CURLE_OK)));
    for (RawOutcome code :
         {RawOutcome::ConversionInvalidParameter, RawOutcome::ConversionOutOfMemory,
          RawOutcome::ConversionUnsupported, RawOutcome::ConversionFailed})
        EXPECT_EQ(ValueOf(code), ToResultCode(code));
    EXPECT_EQ(kResultGeneralError, ToResultCode(RawOutcome::GeneralErrorKey));
    const std::string general = U8(ToResultText(RawOutcome::GeneralErrorKey));
    EXPECT_EQ("A general error occurred", general);
    for (int32_t raw :
         {static_cast<int32_t>(CURLE_NOT_BUILT_IN), 999, ValueOf(RawOutcome::BadState),
          static_cast<int32_t>(kResultNoSender), INT32_MIN}) {
        EXPECT_EQ(kResultGeneralError, ToResultCode(static_cast<RawOutcome>(raw))) << raw;
        EXPECT_EQ(general, U8(ToResultText(static_cast<RawOutcome>(raw)))) << raw;
    }
}

// Every language has its own texts for the same rows, empty for success
// only; one outside 0 to 10 is English.
TEST(ResultLookup, EveryLanguageHasTheSameRowsAndOthersFallBackToEnglish)
{
    const ResultTable english = BuildResultTable(0);
    for (int32_t language = 0; language < 11; ++language) {
        const ResultTable table = BuildResultTable(language);
        for (const auto& row : english) {
            const auto found = table.find(row.first);
            ASSERT_NE(table.end(), found)
                << "language " << language << ", outcome " << ValueOf(row.first);
            EXPECT_EQ(row.second.resultCode, found->second.resultCode);
            EXPECT_EQ(row.first == RawOutcome::Success, U8(found->second.message).empty())
                << "language " << language << ", outcome " << ValueOf(row.first);
        }
        EXPECT_TRUE(language == 0
                    || U8(english.at(RawOutcome::GeneralErrorKey).message)
                           != U8(table.at(RawOutcome::GeneralErrorKey).message))
            << "language " << language;
    }
    for (int32_t language : {-1, 11, INT32_MAX})
        for (const auto& row : BuildResultTable(language))
            EXPECT_EQ(english.at(row.first).message, row.second.message) << "language " << language;
}

} // namespace
