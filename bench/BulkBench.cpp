// Bulk sending over STARTTLS and AUTH PLAIN: the library with a kept
// connection, the library with 4 asynchronous connections, libcurl with one
// reused handle, and the library's resident memory over many mails. Prints
// one JSON line per run; bench/bulk_bench.py starts the server and the
// delaying proxy.
//
//   smtpbench_bulk kept|async4|curl-reuse|memory --port P --count N
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "smtpclient/IMimeMessage.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;

namespace {

typedef std::chrono::steady_clock Clock;

const char kUser[] = "bench";
const char kPassword[] = "bench";

std::u16string Text(const char* text)
{
    std::u16string wide;
    for (const char* at = text; *at != '\0'; ++at)
        wide += static_cast<char16_t>(*at);
    return wide;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

class Tally : public IAsyncCallback {
public:
    int OnSendComplete(int, int resultCode, const SmtpChar*) override
    {
        ++completed;
        failures += resultCode == kResultSuccess ? 0 : 1;
        return 0;
    }

    int completed = 0;
    int failures = 0;
};

struct LibraryHost {
    explicit LibraryHost(int port) : client(CreateSmtpClient()), message(CreateMimeMessage())
    {
        client->SetHost(Text("127.0.0.1").c_str());
        client->SetPort(port);
        client->SetUseTls(true);
        client->SetUser(Text(kUser).c_str());
        client->SetPassword(Text(kPassword).c_str());
        client->SetOption(kOptionKeepConnection, 1);
        client->SetOption(kOptionMessagesPerConnection, 0);
        client->SetOption(kOptionTraceToStandardError, 0);
        message->SetFrom(Text("sender@bench.test").c_str(), Text("Bench").c_str());
        message->AddTo(Text("rcpt@bench.test").c_str(), Text("").c_str());
        message->SetSubject(Text("Bulk bench").c_str());
        message->SetTextBody(Text("A small mail.\r\n").c_str());
        client->SetMimeMessage(message);
    }

    ~LibraryHost()
    {
        client->Release();
        message->Release();
    }

    ISmtpClient* client;
    IMimeMessage* message;
};

int RunKept(int port, int count)
{
    int failures = 0;
    const Clock::time_point start = Clock::now();
    {
        LibraryHost host(port);
        for (int sent = 0; sent < count; ++sent)
            failures += host.client->Send() == kResultSuccess ? 0 : 1;
    }
    std::printf("{\"seconds\": %.4f, \"failures\": %d}\n", SecondsSince(start), failures);
    return 0;
}

int RunAsync4(int port, int count)
{
    Tally tally;
    const Clock::time_point start = Clock::now();
    {
        LibraryHost host(port);
        host.client->SetOption(kOptionAsyncConnections, 4);
        host.client->SetAsyncCallback(&tally);
        for (int queued = 0; queued < count; ++queued)
            host.client->SendAsync();
        while (tally.completed < count)
            SmtpClientDispatchMessages(-1);
    }
    std::printf("{\"seconds\": %.4f, \"failures\": %d}\n", SecondsSince(start), tally.failures);
    return 0;
}

// Resident memory after every tenth of the mails, on one kept connection.
int RunMemory(int port, int count)
{
    LibraryHost host(port);
    std::string samples;
    int failures = 0;
    for (int sent = 1; sent <= count; ++sent) {
        failures += host.client->Send() == kResultSuccess ? 0 : 1;
        if (sent % (count / 10) == 0)
            samples += (samples.empty() ? "" : ", ") + std::to_string(ResidentKilobytes());
    }
    std::printf("{\"rss_kb\": [%s], \"failures\": %d}\n", samples.c_str(), failures);
    return 0;
}

struct Upload {
    const char* data;
    size_t left;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* data)
{
    Upload& upload = *static_cast<Upload*>(data);
    const size_t length = std::min(size * count, upload.left);
    std::memcpy(buffer, upload.data, length);
    upload.data += length;
    upload.left -= length;
    return length;
}

// One easy handle for every mail: libcurl keeps its connection between the
// performs, the limit of a design built on libcurl.
int RunCurlReuse(int port, int count)
{
    static const char kMessage[] = "From: Bench <sender@bench.test>\r\nTo: rcpt@bench.test\r\n"
                                   "Subject: Bulk bench\r\n\r\nA small mail.\r\n";
    CURL* curlHandle = curl_easy_init();
    curl_slist* recipients = curl_slist_append(nullptr, "<rcpt@bench.test>");
    const std::string url = "smtp://127.0.0.1:" + std::to_string(port);
    curl_easy_setopt(curlHandle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curlHandle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curlHandle, CURLOPT_USERNAME, kUser);
    curl_easy_setopt(curlHandle, CURLOPT_PASSWORD, kPassword);
    curl_easy_setopt(curlHandle, CURLOPT_MAIL_FROM, "<sender@bench.test>");
    curl_easy_setopt(curlHandle, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curlHandle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curlHandle, CURLOPT_READFUNCTION, ReadMessage);
    int failures = 0;
    const Clock::time_point start = Clock::now();
    for (int sent = 0; sent < count; ++sent) {
        Upload upload{kMessage, sizeof kMessage - 1};
        curl_easy_setopt(curlHandle, CURLOPT_READDATA, &upload);
        failures += curl_easy_perform(curlHandle) == CURLE_OK ? 0 : 1;
    }
    curl_easy_cleanup(curlHandle);
    std::printf("{\"seconds\": %.4f, \"failures\": %d}\n", SecondsSince(start), failures);
    curl_slist_free_all(recipients);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> arguments;
    for (int at = 2; at + 1 < argc; at += 2)
        arguments[argv[at] + 2] = argv[at + 1];
    const std::map<std::string, int (*)(int, int)> modes = {{"kept", RunKept},
                                                            {"async4", RunAsync4},
                                                            {"curl-reuse", RunCurlReuse},
                                                            {"memory", RunMemory}};
    const auto mode = argc > 1 ? modes.find(argv[1]) : modes.end();
    if (mode == modes.end() || arguments.count("port") == 0) {
        std::fprintf(stderr, "usage: %s kept|async4|curl-reuse|memory --port P --count N\n",
                     argv[0]);
        return 2;
    }
    const int count = arguments.count("count") ? std::atoi(arguments["count"].c_str()) : 200;
    return mode->second(std::atoi(arguments["port"].c_str()), count);
}
