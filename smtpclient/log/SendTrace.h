// The log of one send: the trace entries a log file receives, the session
// entries GetSessionLog shows, and the state they are built from. Each send
// job owns one, and libcurl's trace callback gets it as its user data, so
// sends on different threads never write into each other's log.
#ifndef SMTPCLIENT_LOG_SENDTRACE_H
#define SMTPCLIENT_LOG_SENDTRACE_H

#include <curl/curl.h>

#include <string>
#include <vector>

namespace SMTPClientNS {

typedef std::vector<std::string> LogEntries;

// Where the SMTP dialogue of the send stands.
struct DialogueState {
    std::string clientLine;              // bytes of a command not yet ended by a line break
    std::string serverLine;              // the same for a reply line
    std::vector<std::string> replyLines; // lines of a multi-line reply not yet complete
    std::string step;                    // the command that the next reply answers, masked
    bool dataSent = false;               // message data went out after that command
    bool challenged = false;             // the last reply was a login challenge
    std::string lastReply;               // whole, its lines joined by LF
    std::string lastReplyStep;           // "at RCPT TO:<x@y>", "after the message data", ...
    std::vector<std::string> refusals;   // "at RCPT TO:<x@y>: 550 ...", each refused recipient
};

struct SendTrace {
    LogEntries traceEntries;   // the log file's, summaries included
    LogEntries sessionEntries; // the dialogue and the closing entry
    DialogueState dialogue;
    std::string entryBuffer;                // the trace entry being built
    char errorBuffer[CURL_ERROR_SIZE] = {}; // libcurl's description of a failure
    bool echoToStandardError = true;        // libcurl's own text goes to stderr as well
};

} // namespace SMTPClientNS

#endif
