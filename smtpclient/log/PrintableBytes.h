// Log entries show the bytes that would break their lines (or cut the text
// short, as a NUL would) as dots.
#ifndef SMTPCLIENT_LOG_PRINTABLEBYTES_H
#define SMTPCLIENT_LOG_PRINTABLEBYTES_H

#include <cstddef>

namespace SMTPClientNS {

// The trace's layout keeps 32 to 127 and nothing else. Branch-free, so that
// the copy loop vectorizes.
inline bool IsTraceByte(unsigned char byte)
{
    return static_cast<unsigned char>(byte - 32) < 96;
}

// The session dialogue keeps everything but control characters, so that a
// reply's text stays in the code page the server wrote it in.
inline bool IsDialogueByte(unsigned char byte)
{
    return byte >= 32 && byte != 127;
}

// Copies length bytes to out, each one that Keeps rejects as a dot.
template <bool (*Keeps)(unsigned char)>
void CopyPrintable(const unsigned char* data, size_t length, char* out)
{
    for (size_t at = 0; at < length; ++at)
        out[at] = Keeps(data[at]) ? static_cast<char>(data[at]) : '.';
}

} // namespace SMTPClientNS

#endif
