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

ReceivedMail MailFromEnvelope(const JsonObject& envelope)
{
    ReceivedMail mail;
    mail.listener = First(envelope, "listener");
    mail.mailFrom = First(envelope, "mail_from");
    if (envelope.count("rcpt_tos"))
        mail.rcptTos = envelope.at("rcpt_tos");
    mail.rawPath = StateDir() + "/mail/" + First(envelope, "raw");
    mail.raw = ReadFile(mail.rawPath);
    mail.tls = First(envelope, "tls") == "true";
    mail.authUser = First(envelope, "auth_user");
    mail.via = First(envelope, "via");
    return mail;
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
    for (const char* file : {"/ports.json", "/proxy_ports.json"}) {
        const std::string port = First(ParseJsonObject(ReadFile(StateDir() + file)), name);
        if (!port.empty())
            return std::atoi(port.c_str());
    }
    ADD_FAILURE() << "Test listener \"" << name << "\" is not running (no port in " << StateDir()
                  << "); does the test require the smtp_servers or socks_proxies fixture?";
    return 0;
}

std::string TestCaFile()
{
    return StateDir() + "/certs/ca.pem";
}

std::vector<ReceivedMail> MailTo(const std::string& recipient)
{
    // Envelopes are N.json, numbered in the order the messages arrived.
    std::vector<std::pair<long, std::string>> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(StateDir() + "/mail", error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() == ".json" && path.filename().string()[0] != '.')
            files.emplace_back(std::atol(path.stem().string().c_str()), path.string());
    }
    std::sort(files.begin(), files.end());
    std::vector<ReceivedMail> mails;
    for (const auto& file : files) {
        ReceivedMail mail = MailFromEnvelope(ParseJsonObject(ReadFile(file.second)));
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
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outline.append(buffer, count);
    if (const int status = pclose(pipe))
        ADD_FAILURE() << command << " failed (status " << status << "):\n" << outline;
    return outline;
}

} // namespace SMTPClientTest
