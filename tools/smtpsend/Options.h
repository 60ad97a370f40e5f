// What the command line asks for.
#ifndef SMTPSEND_OPTIONS_H
#define SMTPSEND_OPTIONS_H

#include <string>
#include <vector>

#include "Mailbox.h"
#include "ProxyUrl.h"

namespace SmtpSend {

enum class RecipientKind { To, Cc, Bcc };

struct Recipient {
    RecipientKind kind;
    Mailbox mailbox;
};

struct InlineImage {
    std::string path;
    std::string contentId;
};

// A body given as text or as a file; at most one of the two is set.
struct BodySource {
    std::string text;
    std::string file;
};

struct SendOptions {
    std::string server;
    int port = 0; // set by the parser: given, or the default for the TLS mode
    bool useTls = true;
    int tlsVersion = 0; // the library's numbering: 0 any, 1 to 4 TLS 1.0 to 1.3
    bool verifyCertificate = true;
    bool verifyStatus = false;
    bool useProxy = false;
    ProxyUrl proxy;
    int connectTimeout = -1; // -1: not given

    std::string user;
    std::string passwordFile;
    std::string passwordVariable;
    std::string oauth2Token;
    std::string oauth2TokenVariable;

    Mailbox from;
    std::vector<Recipient> recipients; // in command-line order
    std::string subject;
    BodySource textBody;
    BodySource htmlBody;
    bool utf8BodyFiles = true;
    bool embedImages = false;
    std::vector<std::string> attachments;
    std::vector<InlineImage> inlineImages;
    int priority = 0;    // the library's numbering: 0 normal, 1 low, 2 high
    std::string charset; // empty: the library's default

    std::string logFile;
    bool logAppend = false;
    bool languageGiven = false;
    int language = 0; // the library's message-language number
    bool async = false;
    bool repeatGiven = false;
    int repeat = 1;
    // The library's bulk options; -1: not given, the library's default.
    bool keepConnection = false;
    int connections = -1;
    int maxPerConnection = -1;
    int rate = -1;
    bool partial = false;
    bool verbose = false;
};

enum class Request { Send, Help, Version };

struct CommandLine {
    Request request = Request::Send;
    SendOptions options;
};

// Parses and checks the arguments; throws UsageError.
CommandLine ParseCommandLine(int argc, char** argv);

// The text of --help.
const char* HelpText();

} // namespace SmtpSend

#endif
