// The options a host sets with SetOption: each one's range and default, and
// what a send takes of them.
#ifndef SMTPCLIENT_CLIENTOPTIONS_H
#define SMTPCLIENT_CLIENTOPTIONS_H

#include <cstdint>

#include "ISmtpClient.h"
#include "SendSettings.h"

namespace SMTPClientNS {

class ClientOptions {
public:
    // Every option at its default: the library without options.
    ClientOptions();

    // The option exists and the value is in its range.
    static bool Accepts(int option, int value);
    // Stores a value that Accepts.
    void Set(int option, int value);
    // The value; -1 for an unknown option.
    int Get(int option) const;

    // What one send takes of the options.
    SendOptions ForSend() const;

private:
    // By option number; 0 is no option.
    int32_t values[kOptionTraceToStandardError + 1];
};

} // namespace SMTPClientNS

#endif
