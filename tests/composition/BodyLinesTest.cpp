#include <gtest/gtest.h>

#include <string>

#include "smtpclient/mime/BodyLines.h"

using namespace SMTPClientNS;

namespace {

// Line ends become CR LF, a lone CR included, and only a line of 999 octets
// or more, wherever it stands, asks for quoted-printable. The text is
// rewritten in its own buffer when that has room and in the spare string
// otherwise; text that needs nothing is not copied.
TEST(BodyLines, EndInCrLfAndLongLinesAskForQuotedPrintable)
{
    const std::string fits(998, 'a');
    const std::string over(999, 'a');
    const struct {
        std::string given;
        std::string sent;
        bool quotedPrintable;
    } cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n", false},
        {"a\nb\rc\r\n\n\r", "a\r\nb\r\nc\r\n\r\n\r\n", false},
        {"\r", "\r\n", false},
        {fits + "\r\n" + fits, fits + "\r\n" + fits, false},
        {fits + "\n", fits + "\r\n", false},
        {over, over, true},
        {"a\r\n" + over + "\r\nb", "a\r\n" + over + "\r\nb", true},
        {over + "\n", over + "\r\n", true},
    };
    for (const auto& c : cases) {
        for (const size_t room : {size_t{0}, c.sent.size()}) {
            std::string buffer = c.given + std::string(room, '\0');
            std::string spare;
            const WireText wire = TextForTheWire(&buffer[0], c.given.size(), buffer.size(), spare);
            EXPECT_EQ(c.sent, std::string(wire.bytes, wire.length))
                << testing::PrintToString(c.given.substr(0, 20)) << " room " << room;
            EXPECT_EQ(c.quotedPrintable, wire.quotedPrintable) << c.given.size();
            EXPECT_EQ(room > 0 || c.sent == c.given, spare.empty());
            EXPECT_EQ(spare.empty(), wire.bytes == buffer.data());
        }
    }
}

} // namespace
