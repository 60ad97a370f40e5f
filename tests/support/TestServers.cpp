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

const char* const portFiles[] = {"ports.json", "proxy_ports.json"};
constexpr std::chrono::milliseconds mailPollInterval(50);

// Folder of the servers' state (ports, certificates, received mail), from the
// environment variable SMTPCLIENT_TEST_STATE that CTest sets.
std::string StateDir()
{
    const char* state = std::getenv("SMTPCLIENT_TEST_STATE");
    return state ? state : SMTPCLIENT_TEST_STATE_DEFAULT;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

JsonValue ReadJsonFile(const std::string& path)
{
    JsonValue value;
    ParseJson(ReadFile(path), value);
    return value;
}

std::string MailDir()
{
    return StateDir() + "/mail";
}

std::string TextMember(const JsonValue& object, const std::string& key)
{
    const JsonValue* member = object.Find(key);
    return member ? member->text : std::string();
}

ReceivedMail MailFromEnvelope(const JsonValue& envelope)
{
    ReceivedMail mail;
    mail.listener = TextMember(envelope, "listener");
    mail.mailFrom = TextMember(envelope, "mail_from");
    if (const JsonValue* rcptTos = envelope.Find("rcpt_tos")) {
        for (const JsonValue& rcptTo : rcptTos->items)
            mail.rcptTos.push_back(rcptTo.text);
    }
    mail.rawPath = MailDir() + "/" + TextMember(envelope, "raw");
    mail.raw = ReadFile(mail.rawPath);
    const JsonValue* tls = envelope.Find("tls");
    mail.tls = tls && tls->boolean;
    mail.authUser = TextMember(envelope, "auth_user");
    mail.via = TextMember(envelope, "via");
    return mail;
}

// Envelope files ("N.json") in the order the messages arrived.
std::vector<std::filesystem::path> EnvelopeFiles()
{
    std::vector<std::pair<long, std::filesystem::path>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(MailDir(), error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() == ".json" && path.filename().string()[0] != '.')
            numbered.emplace_back(std::atol(path.stem().string().c_str()), path);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::filesystem::path> files;
    for (auto& entry : numbered)
        files.push_back(std::move(entry.second));
    return files;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

int ServerPort(const std::string& name)
{
    for (const char* file : portFiles) {
        const JsonValue ports = ReadJsonFile(StateDir() + "/" + file);
        const JsonValue* port = ports.Find(name);
        if (port && port->kind == JsonValue::Kind::Number)
            return static_cast<int>(port->number);
    }
    ADD_FAILURE() << "Test listener \"" << name << "\" is not running (no port in "
                  << StateDir() << "/ports.json or proxy_ports.json); "
                  << "does the test require the smtp_servers or socks_proxies fixture?";
    return 0;
}

std::string TestCaFile()
{
    return StateDir() + "/certs/ca.pem";
}

std::vector<ReceivedMail> MailTo(const std::string& recipient)
{
    std::vector<ReceivedMail> mails;
    for (const auto& file : EnvelopeFiles()) {
        ReceivedMail mail = MailFromEnvelope(ReadJsonFile(file.string()));
        if (std::find(mail.rcptTos.begin(), mail.rcptTos.end(), recipient) != mail.rcptTos.end())
            mails.push_back(std::move(mail));
    }
    return mails;
}

ReceivedMail WaitForMailTo(const std::string& recipient, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<ReceivedMail> mails = MailTo(recipient);
        if (!mails.empty())
            return mails.front();
        if (std::chrono::steady_clock::now() >= deadline)
            return ReceivedMail();
        std::this_thread::sleep_for(mailPollInterval);
    }
}

std::string DescribeMail(const std::string& rawPath)
{
    const std::string command = ShellQuoted(SMTPCLIENT_TEST_PYTHON) + " " +
                                ShellQuoted(SMTPCLIENT_DESCRIBE_MAIL) + " " + ShellQuoted(rawPath);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "Cannot run " << command;
        return std::string();
    }
    std::string outline;
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outline.append(buffer, count);
    const int status = pclose(pipe);
    if (status != 0)
        ADD_FAILURE() << command << " failed (status " << status << "):\n" << outline;
    return outline;
}

} // namespace SMTPClientTest
