// One complete send for a memory checker to watch: every message part the
// library builds, a session log file, then the same message once more
// through SendAsync.
//
//     reliability_full_send WORK_FOLDER
//
// Needs the SMTP test servers (SMTPCLIENT_TEST_STATE); exits 0 when both
// sends were delivered.
#include <cstdio>
#include <fstream>
#include <string>

#include "AsyncTestSupport.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

void Compose(IMimeMessage& message, const std::string& folder)
{
    message.SetFrom(W("sender@example.test").c_str(), W("Jörg Sender").c_str());
    message.AddTo(W("full-send@example.test").c_str(), W("Empfänger, Erster").c_str());
    message.AddCc(W("cc-full-send@example.test").c_str(), W("Copy").c_str());
    message.AddBcc(W("bcc-full-send@example.test").c_str(), W("").c_str());
    message.SetSubject(W("Vollständig: every part once").c_str());
    message.SetPriority(2);
    const std::string logo =
        WriteFile(folder + "/logo.png", "\x89PNG\r\n\x1a\n" + std::string(2000, '\xA7'));
    WriteFile(folder + "/page.html",
              "<html><body><p>Grüße</p><img src=\"" + logo + "\"></body></html>");
    message.LoadBodyFromFile(W(folder + "/page.html").c_str(), 5);
    message.SetTextBody(W("Grüße in plain text.\r\n").c_str());
    const std::string chart = WriteFile(folder + "/chart.bmp", "BM" + std::string(5000, '\xA7'));
    message.AddInlineImage(W(chart).c_str(), W("chart").c_str());
    message.AddAttachment(
        W(WriteFile(folder + "/data.bin", std::string(300 * 1024, '\xA7'))).c_str());
    message.AddAttachment(W(WriteFile(folder + "/notes.txt", "Notes\r\n")).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER\n", argv[0]);
        return 2;
    }
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    RecordingCallback callback;
    Compose(*message, argv[1]);
    client->SetMimeMessage(message);
    client->SetAsyncCallback(&callback);
    UsePort(*client, ServerPort("plain"));
    client->SetConnectTimeout(10);
    client->SetLogFile(W(std::string(argv[1]) + "/session.log").c_str(), false);

    const int syncResult = client->Send();
    const bool completed = client->SendAsync() > 0 && PumpUntil(callback, 1, 60000);
    const int asyncResult = completed ? callback.completions[0].resultCode : 0;
    client->Release();
    message->Release();
    std::printf("Send: %d, SendAsync: %d\n", syncResult, asyncResult);
    return syncResult == 1 && asyncResult == 1 ? 0 : 1;
}
