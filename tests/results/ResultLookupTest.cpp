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

// Pipeline outcomes and libcurl's of the same number differ; conversion
// failures keep their numbers.
TEST(ResultLookup, RowsGiveTheirCodeAndMessage)
{
    const struct {
        int32_t raw;
        int32_t code;
        const char* text;
    } rows[] = {
        {0, 1, ""},
        {-2, -17, "No sender has been specified."},
        {2, -2, "Unable to connect to service through proxy."},
        {-3, -18, "No recipients have been specified."},
        {-21, -21, "Failed to send the email because its encoding is unsupported."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.code, ToResultCode(row.raw)) << row.raw;
        ASSERT_NE(nullptr, ToResultText(row.raw));
        EXPECT_EQ(row.text, U8(ToResultText(row.raw))) << row.raw;
    }
}

// A result code looked up again (-17) is a raw outcome like any other.
TEST(ResultLookup, GeneralRowAndAbsentKeysGiveMinusOneAndTheGeneralMessage)
{
    for (int32_t raw : {100, 4, 8, 27, 999, -1, -4, -17, -18, 101, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(-1, ToResultCode(raw));
        EXPECT_EQ("A general error occurred", U8(ToResultText(raw)));
    }
}

} // namespace
