// Lookups in the process-wide table, which is English here: nothing in this
// program selects another language outside its child processes.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "TestText.h"
#include "smtpclient/ResultTable.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;

namespace {

const char* const GeneralError = "A general error occurred";

TEST(ResultLookup, TableHoldsExactlyTheKnownOutcomesWithTheirCodes)
{
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {-22, -22}, {-21, -21}, {-20, -20}, {-19, -19}, {-3, -18}, {-2, -17},
        {0, 1}, {1, -7}, {2, -2}, {3, -6}, {5, -3}, {6, -4}, {7, -5},
        {10, -10}, {26, -16}, {28, -11}, {35, -8}, {55, -13}, {56, -14},
        {60, -9}, {67, -12}, {94, -15}, {100, -1}};
    std::vector<std::pair<int32_t, int32_t>> actual;
    for (const auto& row : GetResultTable())
        actual.emplace_back(row.first, row.second.resultCode);
    EXPECT_EQ(expected, actual);
}

TEST(ResultLookup, SuccessIsOneWithAnEmptyMessage)
{
    EXPECT_EQ(1, ToResultCode(0));
    ASSERT_NE(nullptr, ToResultText(0));
    EXPECT_EQ("", U8(ToResultText(0)));
}

TEST(ResultLookup, GeneralRowAndAbsentKeysGiveMinusOneAndTheGeneralMessage)
{
    for (int32_t raw : {100, 4, 8, 27, 999, -1, -4, -18, 101, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(-1, ToResultCode(raw));
        EXPECT_EQ(GeneralError, U8(ToResultText(raw)));
    }
}

TEST(ResultLookup, PipelineAndLibcurlOutcomesOfTheSameNumberDiffer)
{
    EXPECT_EQ(-17, ToResultCode(-2));
    EXPECT_EQ("No sender has been specified.", U8(ToResultText(-2)));
    EXPECT_EQ(-2, ToResultCode(2));
    EXPECT_EQ("Unable to connect to service through proxy.", U8(ToResultText(2)));
    EXPECT_EQ(-18, ToResultCode(-3));
    EXPECT_EQ("No recipients have been specified.", U8(ToResultText(-3)));
    EXPECT_EQ(-3, ToResultCode(5));
}

TEST(ResultLookup, ConversionFailuresKeepTheirNumbers)
{
    for (int32_t raw : {-19, -20, -21, -22}) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(raw, ToResultCode(raw));
        EXPECT_NE(GeneralError, U8(ToResultText(raw)));
    }
    EXPECT_EQ("Failed to send the email because its encoding is unsupported.", U8(ToResultText(-21)));
}

TEST(ResultLookup, ResultCodeLookedUpAgainIsTreatedAsARawOutcome)
{
    EXPECT_EQ(-17, ToResultCode(ToResultCode(2)));
    EXPECT_EQ(-1, ToResultCode(-17));
    EXPECT_EQ(GeneralError, U8(ToResultText(-17)));
}

} // namespace
