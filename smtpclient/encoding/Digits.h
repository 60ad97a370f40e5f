// Fixed-width numbers and times appended to text, for the date and
// identifier fields built on every send, where printf's parsing would
// dominate.
#ifndef SMTPCLIENT_ENCODING_DIGITS_H
#define SMTPCLIENT_ENCODING_DIGITS_H

#include <cstdint>
#include <ctime>
#include <string>

namespace SMTPClientNS {

// value % 100 as two decimal digits: 7 becomes "07".
inline void AppendTwoDigits(std::string& text, long value)
{
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

// The low 4 * count bits of value as count upper-case hexadecimal digits.
inline void AppendHexDigits(std::string& text, uint32_t value, int count)
{
    static const char kHexDigits[] = "0123456789ABCDEF";
    for (int shift = (count - 1) * 4; shift >= 0; shift -= 4)
        text += kHexDigits[(value >> shift) & 0xF];
}

// "hh:mm:ss" of a broken-down time.
inline void AppendTimeOfDay(std::string& text, const std::tm& time)
{
    AppendTwoDigits(text, time.tm_hour);
    text += ':';
    AppendTwoDigits(text, time.tm_min);
    text += ':';
    AppendTwoDigits(text, time.tm_sec);
}

} // namespace SMTPClientNS

#endif
