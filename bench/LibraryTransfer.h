// A client and its message set up through the library's public interface.
#ifndef SMTPCLIENT_BENCH_LIBRARYTRANSFER_H
#define SMTPCLIENT_BENCH_LIBRARYTRANSFER_H

#include "BenchMessage.h"
#include "smtpclient/ISmtpClient.h"

namespace SMTPClientBench {

// Owns one client with the message attached, set for 127.0.0.1:port in
// plain text.
class LibraryClient {
public:
    LibraryClient(const MessageContent& content, int port);
    ~LibraryClient();
    LibraryClient(const LibraryClient&) = delete;
    LibraryClient& operator=(const LibraryClient&) = delete;

    SMTPClientNS::ISmtpClient& Client() { return *client; }

private:
    SMTPClientNS::ISmtpClient* client;
    SMTPClientNS::IMimeMessage* message;
};

} // namespace SMTPClientBench

#endif
