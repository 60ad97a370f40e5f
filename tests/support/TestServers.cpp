#include "TestServers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "TestJson.h"

namespace SMTPClientTest {

namespace {

// The servers' state folder (ports, certificates, received mail), which CTest names.
std::string StateDir()
{
    const char* state = std::getenv("SMTPCLIENT_TEST_STATE");
    return state ? state : SMTPCLIENT_TEST_STATE_DEFAULT;
}

std::string ReadFile(const std::string& path)
{
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

std::string First(const JsonObject& object, const std::string& key)
{
    const auto member = object.find(key);
    return member == object.end() || member->second.empty() ? std::string() : member->second[0];
}

ReceivedMail MailFromEnvelope(const JsonObject& envelope, const std::string& folder)
{
    ReceivedMail mail;
    mail.listener = First(envelope, "listener");
    mail.mailFrom = First(envelope, "mail_from");
    if (envelope.count("rcpt_tos"))
        mail.rcptTos = envelope.at("rcpt_tos");
    if (envelope.count("mail_options"))
        mail.mailOptions = envelope.at("mail_options");
    mail.rawPath = folder + "/" + First(envelope, "raw");
    mail.raw = ReadFile(mail.rawPath);
    mail.tls = First(envelope, "tls") == "true";
    mail.authUser = First(envelope, "auth_user");
    mail.via = First(envelope, "via");
    mail.connection = std::atoi(First(envelope, "connection").c_str());
    mail.openConnections = std::atoi(First(envelope, "open_connections").c_str());
    return mail;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The envelopes N.json of a listener's store, in the order the messages arrived.
std::vector<ReceivedMail> StoredMailTo(const std::string& folder, const std::string& recipient)
{
    std::vector<std::pair<long, std::string>> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() == ".json" && path.filename().string()[0] != '.')
            files.emplace_back(std::atol(path.stem().string().c_str()), path.string());
    }
    std::sort(files.begin(), files.end());
    std::vector<ReceivedMail> mails;
    for (const auto& file : files) {
        ReceivedMail mail = MailFromEnvelope(ParseJsonObject(ReadFile(file.second)), folder);
        if (std::find(mail.rcptTos.begin(), mail.rcptTos.end(), recipient) != mail.rcptTos.end())
            mails.push_back(std::move(mail));
    }
    return mails;
}

// True when the header section of a delivered message names recipient in the
// line its server adds: Delivered-To (Postfix) or Envelope-to (Exim).
bool DeliveredFor(const std::string& raw, const std::string& recipient)
{
    const std::string headers = "\n" + raw.substr(0, raw.find("\n\n") + 1);
    return headers.find("\nDelivered-To: " + recipient + "\n") != std::string::npos
           || headers.find("\nEnvelope-to: " + recipient + "\n") != std::string::npos;
}

// What find returns once it is not empty, or when timeoutMs have passed.
template <typename Find>
auto Awaited(const Find& find, int timeoutMs) -> decltype(find())
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto found = find();
        if (!found.empty() || std::chrono::steady_clock::now() >= deadline)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace

int OptionalServerPort(const std::string& name)
{
    for (const char* file : {"/ports.json", "/proxy_ports.json", "/mta_ports.json"}) {
        const std::string port = First(ParseJsonObject(ReadFile(StateDir() + file)), name);
        if (!port.empty())
            return std::atoi(port.c_str());
    }
    return 0;
}

int ServerPort(const std::string& name)
{
    const int port = OptionalServerPort(name);
    if (port != 0)
        return port;
    ADD_FAILURE()
        << "Test listener \"" << name << "\" is not running (no port in " << StateDir()
        << "); does the test require the smtp_servers, socks_proxies or mail_servers fixture?";
    return 0;
}

std::string TestCaFile()
{
    return StateDir() + "/certs/ca.pem";
}

std::vector<ReceivedMail> MailTo(const std::string& recipient)
{
    return StoredMailTo(StateDir() + "/mail", recipient);
}

std::vector<std::string> DeliveredTo(const std::string& server, const std::string& recipient)
{
    std::vector<std::string> paths;
    if (server == "relayed") {
        for (const ReceivedMail& mail : StoredMailTo(StateDir() + "/mta/relayed", recipient))
            paths.push_back(mail.rawPath);
        return paths;
    }
    std::error_code error;
    const std::string maildir = StateDir() + "/mta/" + server + "/delivered/Maildir/new";
    for (const auto& entry : std::filesystem::directory_iterator(maildir, error)) {
        if (DeliveredFor(ReadFile(entry.path().string()), recipient))
            paths.push_back(entry.path().string());
    }
    return paths;
}

std::vector<std::string> WaitForDeliveryTo(const std::string& server, const std::string& recipient,
                                           int timeoutMs)
{
    return Awaited([&] { return DeliveredTo(server, recipient); }, timeoutMs);
}

ReceivedMail WaitForMailTo(const std::string& recipient, int timeoutMs)
{
    const std::vector<ReceivedMail> mails = Awaited([&] { return MailTo(recipient); }, timeoutMs);
    return mails.empty() ? ReceivedMail() : mails.front();
}

namespace {

std::string RunDescribeMail(const std::string& options, const std::string& rawPath)
{
    const std::string command = ShellQuoted(SMTPCLIENT_TEST_PYTHON) + " "
                                + ShellQuoted(SMTPCLIENT_DESCRIBE_MAIL) + " " + options
                                + ShellQuoted(rawPath);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "Cannot run " << command;
        return std::string();
    }
    std::string outline;
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outline.append(buffer, count);
    if (const int status = pclose(pipe))
        ADD_FAILURE() << command << " failed (status " << status << "):\n" << outline;
    return outline;
}

} // namespace

std::string DescribeMail(const std::string& rawPath)
{
    return RunDescribeMail("", rawPath);
}

std::string DescribeNames(const std::string& rawPath)
{
    return RunDescribeMail("--names ", rawPath);
}

} // namespace SMTPClientTest
