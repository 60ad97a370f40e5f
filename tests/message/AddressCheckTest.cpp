// The address check: an at sign neither first nor last, and no line break.
#include <gtest/gtest.h>

#include <ostream>

#include "TestText.h"
#include "smtpclient/mime/AddressCheck.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

struct AddressCase {
    const char* address;
    bool valid;
};

// Readable test names; line breaks shown as \r and \n.
void PrintTo(const AddressCase& testCase, std::ostream* out)
{
    *out << '"';
    for (const char* c = testCase.address; *c != 0; ++c) {
        if (*c == '\r')
            *out << "\\r";
        else if (*c == '\n')
            *out << "\\n";
        else
            *out << *c;
    }
    *out << '"' << (testCase.valid ? " valid" : " invalid");
}

class AddressCheck : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressCheck, DecidesByTheFirstAtSignAndLineBreaks)
{
    EXPECT_EQ(GetParam().valid, IsValidAddress(W(GetParam().address).c_str()));
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressCheck, ::testing::Values(
    AddressCase{"", false},
    AddressCase{"@", false},
    AddressCase{"@a", false},
    AddressCase{"a@", false},
    AddressCase{"a", false},
    AddressCase{"a@@", true},
    AddressCase{"a@b", true},
    AddressCase{" a @ b ", true},
    AddressCase{"alice@example.org", true},
    AddressCase{"j\xC3\xB8rn@\xE4\xBE\x8B\xE5\xAD\x90.jp", true},
    AddressCase{"a@b\r\nRCPT TO:<victim@example.org>", false},
    AddressCase{"a@b\nDATA", false},
    AddressCase{"a\r@b", false},
    AddressCase{"a@b\r", false}));

TEST(AddressCheckNull, NullIsInvalid)
{
    EXPECT_FALSE(IsValidAddress(nullptr));
}

} // namespace
