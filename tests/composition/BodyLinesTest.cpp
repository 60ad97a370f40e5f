#include <gtest/gtest.h>

#include <string>

#include "smtpclient/mime/BodyLines.h"

using namespace SMTPClientNS;

namespace {

// Line ends become CR LF, a lone CR included, and only a line of 999 octets
// or more, wherever it stands, asks for quoted-printable; text that needs
// nothing is not copied.
TEST(BodyLines, EndInCrLfAndLongLinesAskForQuotedPrintable)
{
    const std::string fits(998, 'a');
    const std::string over(999, 'a');
    const struct {
        std::string given;
        bool rewritten;
        std::string sent;
        bool quotedPrintable;
    } cases[] = {
        {"a\r\nb\r\n", false, "", false},
        {"a\nb\rc\r\n\n\r", true, "a\r\nb\r\nc\r\n\r\n\r\n", false},
        {"\r", true, "\r\n", false},
        {fits + "\r\n" + fits, false, "", false},
        {fits + "\n", true, fits + "\r\n", false},
        {over, false, "", true},
        {"a\r\n" + over + "\r\nb", false, "", true},
        {over + "\n", true, over + "\r\n", true},
    };
    for (const auto& c : cases) {
        const WireText wire = TextForTheWire(c.given.data(), c.given.size());
        EXPECT_EQ(c.rewritten, wire.rewritten) << testing::PrintToString(c.given.substr(0, 20));
        EXPECT_EQ(c.sent, wire.text);
        EXPECT_EQ(c.quotedPrintable, wire.quotedPrintable) << c.given.size();
    }
}

} // namespace
