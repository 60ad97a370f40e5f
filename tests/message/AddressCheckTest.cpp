// The address check: an at sign neither first nor last, and no line break.
#include <gtest/gtest.h>

#include <utility>

#include "TestText.h"
#include "smtpclient/mime/AddressCheck.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

TEST(AddressCheck, DecidesByTheFirstAtSignAndLineBreaks)
{
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"@", false},
        {"@a", false},
        {"a@", false},
        {"a", false},
        {"a@@", true},
        {"a@b", true},
        {" a @ b ", true},
        {"j\xC3\xB8rn@\xE4\xBE\x8B\xE5\xAD\x90.jp", true},
        {"a@b\r\nRCPT TO:<victim@example.org>", false},
        {"a@b\nDATA", false},
        {"a\r@b", false},
        {"a@b\r", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, IsValidAddress(W(c.first).c_str())) << testing::PrintToString(c.first);
    EXPECT_FALSE(IsValidAddress(nullptr));
}

} // namespace
