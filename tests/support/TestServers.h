// The test servers that CTest fixtures start on 127.0.0.1 (tests/servers/),
// and the mail they received.
#ifndef SMTPCLIENT_TESTS_TESTSERVERS_H
#define SMTPCLIENT_TESTS_TESTSERVERS_H

#include <string>
#include <vector>

namespace SMTPClientTest {

// Port of a listener or proxy named in tests/servers/smtp_server.py or
// socks_proxies.py, or of a mail server of mail_transfer_agents.py. Fails the calling test (and
// returns 0) when it is not running.
int ServerPort(const std::string& name);

// The same, or 0 for a listener that may be missing: one on a fixed port
// that could not be bound.
int OptionalServerPort(const std::string& name);

// The test certificate authority that issued the "tls_ca" listener's certificate.
std::string TestCaFile();

struct ReceivedMail {
    std::string listener;
    std::string mailFrom;
    std::vector<std::string> rcptTos;
    // The parameters of MAIL FROM, such as SMTPUTF8.
    std::vector<std::string> mailOptions;
    std::string rawPath; // empty when nothing arrived
    std::string raw;
    bool tls = false;     // came after STARTTLS
    std::string authUser; // empty without AUTH
    std::string via;      // the proxy it came through; empty when direct
    // For the listeners that count connections: which one carried the mail
    // (1, 2, ...) and how many were open as it was stored; else 0.
    int connection = 0;
    int openConnections = 0;
};

// The first message whose envelope names recipient, waiting up to timeoutMs.
// Give every test recipients of its own.
ReceivedMail WaitForMailTo(const std::string& recipient, int timeoutMs = 10000);

// Every message received so far whose envelope names recipient.
std::vector<ReceivedMail> MailTo(const std::string& recipient);

// The raw files of the messages that a mail server of
// mail_transfer_agents.py ("postfix" or "exim") delivered to recipient, or
// that its relay ("relayed") received for it, in no particular order.
std::vector<std::string> DeliveredTo(const std::string& server, const std::string& recipient);

// Waits up to timeoutMs until at least one message for recipient is there.
std::vector<std::string> WaitForDeliveryTo(const std::string& server, const std::string& recipient,
                                           int timeoutMs = 20000);

// The message as Python's email package parses it: the outline that
// tests/servers/describe_mail.py prints.
std::string DescribeMail(const std::string& rawPath);

// The mailboxes of its From, To and Cc lines as the package's address
// parser and its RFC 2047 decoder show them ("From parsed: ...", "From
// decoded: ..."), blanks as one space.
std::string DescribeNames(const std::string& rawPath);

} // namespace SMTPClientTest

#endif
