// Header blocks and MIME trees sent to the "plain" test listener and read
// back with Python's email package.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <string>

#include "ComposedMessage.h"
#include "TempFolder.h"
#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/platform/ComputerName.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string UniqueRecipient()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("composition-") + test->name() + "-" + std::to_string(getpid()) +
           "@example.org";
}

// The outline with the values that change with every mail masked: a
// well-formed Date header reads <date>, every upper-case GUID <guid>.
std::string MaskOutline(const std::string& outline)
{
    static const std::regex date(
        "\\n  Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
        "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][0-9]{4}\\n");
    static const std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    const std::string masked = std::regex_replace(outline, date, "\n  Date: <date>\n");
    return std::regex_replace(masked, guid, "<guid>");
}

class DeliveredTree : public testing::Test {
protected:
    // Sends the message and returns the masked outline of what arrived.
    std::string Deliver()
    {
        ISmtpClient* client = composed.client;
        client->SetHost(W("127.0.0.1").c_str());
        client->SetPort(ServerPort("plain"));
        client->SetUseTls(false);
        EXPECT_EQ(1, client->Send());
        const ReceivedMail mail = WaitForMailTo(recipient);
        EXPECT_FALSE(mail.rawPath.empty()) << "nothing arrived for " << recipient;
        return mail.rawPath.empty() ? std::string() : MaskOutline(DescribeMail(mail.rawPath));
    }

    void Fill(const char* subject, const char* senderName = "Sender")
    {
        composed.message->SetFrom(W("sender@example.com").c_str(), W(senderName).c_str());
        composed.message->AddTo(W(recipient).c_str(), nullptr);
        composed.message->SetSubject(W(subject).c_str());
    }

    // The top-level headers up to the body. A non-empty subject ends the
    // header section, so the Message - ID line stands before the first
    // boundary.
    std::string Top(const char* subject, const char* senderName = "Sender") const
    {
        return "headers:\n"
               "  Content-Type: multipart/mixed; boundary=<boundary>\n"
               "  Mime-Version: 1.0\n"
               "  From: " + std::string(senderName) + " <sender@example.com>\n"
               "  To: " + recipient + "\n"
               "  X-Priority: 3 \n"
               "  Date: <date>\n"
               "  Subject: " + std::string(subject) + "\n"
               "body:\n"
               "  multipart/mixed\n"
               "    preamble: \"Message - ID: <<guid>@" + Platform::ComputerName() + ">\\r\\n\\r\\n\"\n";
    }

    ComposedMessage composed;
    TempFolder folder;
    const std::string recipient = UniqueRecipient();
};

// Pseudo-random bytes, the same on every run, so that their hash is known.
std::string BinaryBytes(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

TEST_F(DeliveredTree, HoldsBodiesInlineImagesAndAttachments)
{
    Fill("Grüße aus Köln", "Jürgen Groß");
    CMimeMessage& m = *composed.message;
    const std::string png = folder.Write("logo.png", "PNG image bytes");
    const std::string jpg = folder.Write("photo.jpg", "JPEG bytes");
    const std::string note = folder.Write("note.txt", "Hello, attachment\n");
    const std::string binary = folder.Write("blob.bin", BinaryBytes(3 * 1024 * 1024 + 7));
    m.SetHtmlBody(W("<p>Grüße <img src=\"cid:logo\"></p>").c_str());
    m.SetTextBody(W("Grüße, plain").c_str());
    m.AddInlineImage(W(png).c_str(), W("logo").c_str());
    m.AddInlineImage(W(jpg).c_str(), W("photo").c_str());
    m.AddInlineImage(W(png).c_str(), nullptr);  // no identifier: left out
    m.AddAttachment(W(note).c_str());
    m.AddAttachment(W(binary).c_str());

    // The jpg part carries no type of its own; image/jpeg is libcurl's
    // default for the file name, as text/plain is for the .txt attachment.
    EXPECT_EQ(Top("Grüße aus Köln", "Jürgen Groß") +
                  "    multipart/alternative\n"
                  "      disposition: inline\n"
                  "      text/html; charset=\"UTF-8\"\n"
                  "        transfer-encoding: 8bit\n"
                  "        text: \"<p>Grüße <img src=\\\"cid:logo\\\"></p>\"\n"
                  "      text/plain; charset=\"UTF-8\"\n"
                  "        transfer-encoding: 8bit\n"
                  "        text: \"Grüße, plain\"\n"
                  "    multipart/related\n"
                  "      image/png\n"
                  "        transfer-encoding: base64\n"
                  "        disposition: inline\n"
                  "        content-id: <logo>\n"
                  "        data: 15 bytes sha256 c9b4b9d43e8145266cbdca9343cb0704d06ee79d14d85cb3849f7a19131b34a1\n"
                  "      image/jpeg\n"
                  "        transfer-encoding: base64\n"
                  "        disposition: inline\n"
                  "        content-id: <photo>\n"
                  "        data: 10 bytes sha256 36c30dec48cedf24f592919b9f832b5d9dd1109a6b5193058fc0c6ce782b4b6c\n"
                  "    multipart/mixed\n"
                  "      text/plain\n"
                  "        transfer-encoding: base64\n"
                  "        disposition: attachment\n"
                  "        filename: note.txt\n"
                  "        text: \"Hello, attachment\\n\"\n"
                  "      application/octet-stream\n"
                  "        transfer-encoding: base64\n"
                  "        disposition: attachment\n"
                  "        filename: blob.bin\n"
                  "        data: 3145735 bytes sha256 76f9110b08715a9a986b60d4a35e16b8cd19b87c993195f9e9a68ffd1165e5b4\n",
              Deliver());
}

TEST_F(DeliveredTree, PlainTextOnlyLeavesInlineImagesOut)
{
    Fill("Text only");
    composed.message->SetTextBody(W("Just text").c_str());
    composed.message->AddInlineImage(W(folder.Write("a.png", "png")).c_str(), W("a").c_str());

    EXPECT_EQ(Top("Text only") +
                  "    multipart/alternative\n"
                  "      disposition: inline\n"
                  "      text/plain; charset=\"UTF-8\"\n"
                  "        transfer-encoding: 8bit\n"
                  "        text: \"Just text\"\n",
              Deliver());
}

TEST_F(DeliveredTree, EmptyBodyComesBeforeTheAttachments)
{
    Fill("No body");
    const std::string data = folder.Write("data.bin", std::string("\x00\x01\xff", 3));
    composed.message->AddAttachment(W(data).c_str());

    EXPECT_EQ(Top("No body") +
                  "    text/plain\n"
                  "      text: \"\"\n"
                  "    multipart/mixed\n"
                  "      application/octet-stream\n"
                  "        transfer-encoding: base64\n"
                  "        disposition: attachment\n"
                  "        filename: data.bin\n"
                  "        data: 3 bytes sha256 26a66b061e8f48f39927c312f25293959729eee95978e2892d49d3512a5cc092\n",
              Deliver());
}

TEST_F(DeliveredTree, HtmlWithUnnamedImagesGetsAnEmptyRelatedContainer)
{
    Fill("Unnamed images");
    composed.message->SetCharset(W("ISO-8859-1").c_str());
    composed.message->SetHtmlBody(W("<p>Café</p>").c_str());
    composed.message->AddInlineImage(W(folder.Write("a.png", "png")).c_str(), nullptr);

    // The container holds no part: only its closing boundary goes out, which
    // Python reads as an empty multipart without a start boundary.
    EXPECT_EQ(Top("Unnamed images") +
                  "    multipart/alternative\n"
                  "      disposition: inline\n"
                  "      text/html; charset=\"ISO-8859-1\"\n"
                  "        transfer-encoding: 8bit\n"
                  "        text: \"<p>Café</p>\"\n"
                  "    multipart/related\n"
                  "      data: 0 bytes sha256 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"
                  "      defect: StartBoundaryNotFoundDefect\n",
              Deliver());
}

} // namespace
