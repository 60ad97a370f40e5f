#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

bool IsLineBreak(SmtpChar c)
{
    return c == SMTPCLIENT_TEXT('\r') || c == SMTPCLIENT_TEXT('\n');
}

} // namespace

bool HasLineBreak(const WString& text)
{
    return text.find_first_of(SMTPCLIENT_TEXT("\r\n")) != WString::npos;
}

WString WithoutLineBreaks(WString text)
{
    for (SmtpChar& c : text) {
        if (IsLineBreak(c))
            c = SMTPCLIENT_TEXT(' ');
    }
    return text;
}

bool LooksEncoded(const WString& text)
{
    return text.find(SMTPCLIENT_TEXT("=?")) != WString::npos;
}

} // namespace SMTPClientNS
