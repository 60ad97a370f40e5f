// Access to the test servers that CTest fixtures start on 127.0.0.1, and to
// the mail they received.
#ifndef SMTPCLIENT_TESTS_TESTSERVERS_H
#define SMTPCLIENT_TESTS_TESTSERVERS_H

#include <string>
#include <vector>

namespace SMTPClientTest {

// Port of a named listener, for example "plain", "starttls",
// "starttls_required", "reject_rcpt_5xx" or "socks5". Fails the calling test
// (and returns 0) when the listener is not running. The listeners are listed
// in tests/servers/smtp_server.py and fault_listeners.py, the proxies in
// tests/servers/socks_proxies.py.
int ServerPort(const std::string& name);

// PEM file of the test certificate authority that issued the certificate of
// the "tls_ca" listener.
std::string TestCaFile();

struct ReceivedMail {
    std::string listener;                // the listener that took it
    std::string mailFrom;                // envelope sender
    std::vector<std::string> rcptTos;    // envelope recipients, in order
    std::string rawPath;                 // file holding the raw message bytes
    std::string raw;                     // the raw message bytes
    bool tls = false;                    // whether it came after STARTTLS
    std::string authUser;                // the user that logged in; empty without AUTH
    std::string via;                     // the proxy it came through; empty when direct
};

// Waits up to timeoutMs for a message whose envelope names recipient, and
// returns the first one; an empty rawPath when none arrived. Give every test
// recipients of its own so that tests do not see each other's mail.
ReceivedMail WaitForMailTo(const std::string& recipient, int timeoutMs = 10000);

// Every message received so far whose envelope names recipient.
std::vector<ReceivedMail> MailTo(const std::string& recipient);

// The message as Python's email package parses it, as an indented outline
// (headers decoded, the MIME tree with types, dispositions, Content-IDs,
// file names and decoded payloads); the format is described in
// tests/servers/describe_mail.py.
std::string DescribeMail(const std::string& rawPath);

} // namespace SMTPClientTest

#endif
