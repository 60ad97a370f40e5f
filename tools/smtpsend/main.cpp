// smtpsend: sends an e-mail message from the command line through the SMTP
// client library, using only its public interface.
#include <smtpclient/ISmtpClient.h>

#include <cstdio>
#include <memory>

#include "ClientSetup.h"
#include "Credentials.h"
#include "Errors.h"
#include "MessageSetup.h"
#include "Options.h"
#include "Sending.h"

namespace {

using namespace SmtpSend;

constexpr int kExitSuccess = 0;
constexpr int kExitSendFailed = 1;
constexpr int kExitBadInput = 2;

// Library objects are given up with their own Release.
struct Releaser {
    template <typename Object>
    void operator()(Object* object) const
    {
        object->Release();
    }
};

using MessagePointer = std::unique_ptr<SMTPClientNS::IMimeMessage, Releaser>;
using ClientPointer = std::unique_ptr<SMTPClientNS::ISmtpClient, Releaser>;

SendTally Send(SMTPClientNS::ISmtpClient& client, const SendOptions& options)
{
    if (options.async)
        return SendAsynchronously(client, options.repeat);
    return SendSynchronously(client, options.repeat, options.repeatGiven, options.verbose);
}

int Run(const SendOptions& options)
{
    // The language takes effect only before the library builds its result table.
    if (options.languageGiven)
        SmtpClientSetMessageLanguage(options.language);
    const Credentials credentials = GatherCredentials(options);
    MessagePointer message(CreateMimeMessage());
    FillMessage(*message, options);
    ClientPointer client(CreateSmtpClient());
    ConfigureClient(*client, options, credentials);
    client->SetMimeMessage(message.get());
    const SendTally tally = Send(*client, options);
    if (options.repeatGiven)
        PrintSummary(tally);
    return tally.failed == 0 ? kExitSuccess : kExitSendFailed;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const CommandLine line = ParseCommandLine(argc, argv);
        if (line.request == Request::Help) {
            std::fputs(HelpText(), stdout);
            return kExitSuccess;
        }
        if (line.request == Request::Version) {
            std::printf("smtpsend %s\n", SMTPSEND_VERSION);
            return kExitSuccess;
        }
        return Run(line.options);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "smtpsend: %s\nTry 'smtpsend --help' for more information.\n",
                     error.what());
    } catch (const InputError& error) {
        std::fprintf(stderr, "smtpsend: %s; nothing was sent\n", error.what());
    }
    return kExitBadInput;
}
