// The mail every send benchmark transfers, and the header block that the
// direct libcurl transfer writes for it, byte for byte as the library does.
#ifndef SMTPCLIENT_BENCH_BENCHMESSAGE_H
#define SMTPCLIENT_BENCH_BENCHMESSAGE_H

#include <string>

namespace SMTPClientBench {

// ASCII only, so both transfers hand the same bytes to libcurl.
struct MessageContent {
    std::string fromAddress;
    std::string fromName;
    std::string toAddress;
    std::string subject;
    std::string textBody;
    std::string attachmentPath; // empty: none
    // The attachment's Base64 text in lines, ready to send: the direct
    // transfer then reads it instead of having libcurl encode the file.
    std::string readyBase64Path;
};

MessageContent SmallMessage();

// From, To, X-Priority, Date, Subject and Message-ID lines, the blank line
// and the historical Message - ID line, with a fresh date and message id.
std::string HeaderBlock(const MessageContent& content);

} // namespace SMTPClientBench

#endif
