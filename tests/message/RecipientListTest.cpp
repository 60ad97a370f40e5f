// The three recipient lists share their rules; every case runs on each.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

struct RecipientKind {
    const char* name;
    int (IMimeMessage::*add)(const SmtpChar*, const SmtpChar*);
    int (IMimeMessage::*count)();
    const SmtpChar* (IMimeMessage::*get)(int, int);
};

void PrintTo(const RecipientKind& kind, std::ostream* out) { *out << kind.name; }

class RecipientList : public ::testing::TestWithParam<RecipientKind> {
protected:
    int Add(const char* address, const SmtpChar* name)
    {
        return (message.*GetParam().add)(W(address).c_str(), name);
    }
    int Count() { return (message.*GetParam().count)(); }
    std::string Get(int index, int what)
    {
        const SmtpChar* text = (message.*GetParam().get)(index, what);
        EXPECT_NE(nullptr, text);
        return text != nullptr ? U8(text) : "<null>";
    }

    CMimeMessage message;
};

// Indexes count from 1; a refused address stores nothing; indexes outside
// the list give empty text.
TEST_P(RecipientList, AddsInOrderAndCountsFromOne)
{
    EXPECT_EQ(1, Add("first@example.org", W("First").c_str()));
    EXPECT_EQ(2, Add("second@example.org", nullptr));
    EXPECT_EQ(-1, Add("no-at-sign", W("Name").c_str()));
    EXPECT_EQ(-1, Add("a@b\r\nQUIT", nullptr));
    EXPECT_EQ(-1, (message.*GetParam().add)(nullptr, W("Name").c_str()));
    EXPECT_EQ(3, Add("first@example.org", W("").c_str()));
    EXPECT_EQ(3, Count());

    EXPECT_EQ("first@example.org", Get(1, 0));
    EXPECT_EQ("First", Get(1, 1));
    EXPECT_EQ("second@example.org", Get(2, 0));
    EXPECT_EQ("", Get(2, 1));
    EXPECT_EQ("", Get(2, 2));
    EXPECT_EQ("first@example.org", Get(3, 0));
    EXPECT_EQ("", Get(1, -1));
    for (int index : {0, 4, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ("", Get(index, 0)) << "index " << index;
        EXPECT_EQ("", Get(index, 1)) << "index " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecipientList, ::testing::Values(
    RecipientKind{"To", &IMimeMessage::AddTo, &IMimeMessage::GetToCount, &IMimeMessage::GetTo},
    RecipientKind{"Cc", &IMimeMessage::AddCc, &IMimeMessage::GetCcCount, &IMimeMessage::GetCc},
    RecipientKind{"Bcc", &IMimeMessage::AddBcc, &IMimeMessage::GetBccCount, &IMimeMessage::GetBcc}),
    [](const ::testing::TestParamInfo<RecipientKind>& info) { return info.param.name; });

} // namespace
