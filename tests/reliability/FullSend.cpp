// One complete send for a memory checker to watch: every message part the
// library builds (non-ASCII header text, both bodies, an HTML body loaded
// from a file with its image embedded, further inline images, attachments),
// a session log file, then the same message once more through SendAsync.
//
//     reliability_full_send WORK_FOLDER
//
// Needs the SMTP test servers (SMTPCLIENT_TEST_STATE); exits 0 when both
// sends were delivered.
#include <cstdio>
#include <fstream>
#include <string>

#include "../async/AsyncTestSupport.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string BinaryContent(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return bytes;
}

void Compose(IMimeMessage& message, const std::string& folder)
{
    message.SetFrom(W("sender@example.test").c_str(), W("J\xC3\xB6rg Sender").c_str());
    message.AddTo(W("full-send@example.test").c_str(), W("Empf\xC3\xA4nger, Erster").c_str());
    message.AddCc(W("cc-full-send@example.test").c_str(), W("Copy").c_str());
    message.AddBcc(W("bcc-full-send@example.test").c_str(), W("").c_str());
    message.SetSubject(W("Vollst\xC3\xA4ndig: every part once").c_str());
    message.SetPriority(2);
    const std::string logo = WriteFile(folder + "/logo.png", "\x89PNG\r\n\x1a\n" + BinaryContent(2000));
    WriteFile(folder + "/page.html",
              "<html><body><p>Gr\xC3\xBC\xC3\x9F" "e</p><img src=\"" + logo + "\"></body></html>");
    message.LoadBodyFromFile(W(folder + "/page.html").c_str(), 5);
    message.SetTextBody(W("Gr\xC3\xBC\xC3\x9F" "e in plain text.\r\n").c_str());
    message.AddInlineImage(W(WriteFile(folder + "/chart.bmp", "BM" + BinaryContent(5000))).c_str(),
                           W("chart").c_str());
    message.AddAttachment(W(WriteFile(folder + "/data.bin", BinaryContent(300 * 1024))).c_str());
    message.AddAttachment(W(WriteFile(folder + "/notes.txt", "Notes\r\n")).c_str());
}

int SendAsyncAndWait(ISmtpClient& client)
{
    RecordingCallback callback;
    client.SetAsyncCallback(&callback);
    const bool completed = client.SendAsync() > 0 && PumpUntil(callback, 1, 60000);
    client.SetAsyncCallback(nullptr);
    return completed ? callback.completions[0].resultCode : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    Compose(*message, folder);
    client->SetMimeMessage(message);
    UsePort(*client, ServerPort("plain"));
    client->SetConnectTimeout(10);
    client->SetLogFile(W(folder + "/session.log").c_str(), false);

    const int syncResult = client->Send();
    const int asyncResult = SendAsyncAndWait(*client);
    client->Release();
    message->Release();
    std::printf("Send: %d, SendAsync: %d\n", syncResult, asyncResult);
    return syncResult == 1 && asyncResult == 1 ? 0 : 1;
}
