// Messages sent to the "plain" test listener and read back with Python's
// email package: headers with their encoded words decoded, and the MIME tree.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// As the Message - ID names this computer: the host name up to its first dot.
std::string HostName()
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string full(host);
    return full.substr(0, full.find('.'));
}

// A well-formed Date reads <date>, every upper-case GUID <guid>.
std::string MaskOutline(const std::string& outline)
{
    static const std::regex kDate("\\n  Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
                                  "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
                                  "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][0-9]{4}\\n");
    static const std::regex kGuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    return std::regex_replace(std::regex_replace(outline, kDate, "\n  Date: <date>\n"), kGuid,
                              "<guid>");
}

// Whatever line ends the host's text has, the mail holds CR LF alone, and no
// line over 998 octets.
void ExpectCrLfLinesWithinTheLimit(const std::string& raw)
{
    for (size_t start = 0, end; (end = raw.find_first_of("\r\n", start)) != std::string::npos;
         start = end + 2) {
        ASSERT_EQ("\r\n", raw.substr(end, 2)) << "lone line break at " << end;
        ASSERT_LE(end - start, 998u);
    }
}

// Sends the message to recipient and returns the masked outline of what arrived.
std::string Deliver(CMimeMessage& message, const std::string& recipient)
{
    EXPECT_EQ(1, SendToListener(message, ServerPort("plain")));
    const ReceivedMail mail = WaitForMailTo(recipient);
    ExpectCrLfLinesWithinTheLimit(mail.raw);
    return mail.rawPath.empty() ? "nothing arrived" : MaskOutline(DescribeMail(mail.rawPath));
}

void Everything(CMimeMessage& m, const TempFolder& folder)
{
    const std::string png = folder.Write("logo.png", "PNG image bytes");
    m.SetHtmlBody(W("<p>Grüße <img src=\"cid:logo\"></p>").c_str());
    m.SetTextBody(W("Grüße, plain").c_str());
    m.AddInlineImage(W(png).c_str(), W("logo").c_str());
    m.AddInlineImage(W(folder.Write("photo.jpg", "JPEG bytes")).c_str(), W("photo").c_str());
    m.AddInlineImage(W(png).c_str(), nullptr); // no identifier: left out
    m.AddAttachment(W(folder.Write("note.txt", "Hello, attachment\n")).c_str());
    m.AddAttachment(
        W(folder.Write("blob.bin", PseudoRandomBytes(3 * 1024 * 1024 + 7, 12345))).c_str());
}

// The jpg part carries no type of its own; image/jpeg is libcurl's default
// for the file name, as text/plain is for the .txt attachment.
const char kEverything[] = "    multipart/alternative\n"
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
                           "        data: 15 bytes sha256 "
                           "c9b4b9d43e8145266cbdca9343cb0704d06ee79d14d85cb3849f7a19131b34a1\n"
                           "      image/jpeg\n"
                           "        transfer-encoding: base64\n"
                           "        disposition: inline\n"
                           "        content-id: <photo>\n"
                           "        data: 10 bytes sha256 "
                           "36c30dec48cedf24f592919b9f832b5d9dd1109a6b5193058fc0c6ce782b4b6c\n"
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
                           "        data: 3145735 bytes sha256 "
                           "76f9110b08715a9a986b60d4a35e16b8cd19b87c993195f9e9a68ffd1165e5b4\n";

struct Tree {
    const char* name;
    const char* charset;
    const char* sender;
    const char* subject;
    void (*fill)(CMimeMessage& message, const TempFolder& folder);
    std::string body; // the outline below the top-level container
};

const Tree kTrees[] = {
    {"everything", "UTF-8", "Jürgen Groß", "Grüße aus Köln", Everything, kEverything},
    {"no_body", "UTF-8", "Sender", "No body",
     [](CMimeMessage& m, const TempFolder& folder) {
         m.AddAttachment(W(folder.Write("data.bin", std::string("\x00\x01\xff", 3))).c_str());
     },
     "    text/plain\n"
     "      text: \"\"\n"
     "    multipart/mixed\n"
     "      application/octet-stream\n"
     "        transfer-encoding: base64\n"
     "        disposition: attachment\n"
     "        filename: data.bin\n"
     "        data: 3 bytes sha256 "
     "26a66b061e8f48f39927c312f25293959729eee95978e2892d49d3512a5cc092\n"},
    // The related container holds no part: only its closing boundary goes
    // out, which Python reads as an empty multipart without a start boundary.
    {"unnamed_images", "ISO-8859-1", "Françoise Dupré", "Café crème à la carte",
     [](CMimeMessage& m, const TempFolder& folder) {
         m.SetHtmlBody(W("<p>Café</p>").c_str());
         m.AddInlineImage(W(folder.Write("a.png", "png")).c_str(), nullptr);
     },
     "    multipart/alternative\n"
     "      disposition: inline\n"
     "      text/html; charset=\"ISO-8859-1\"\n"
     "        transfer-encoding: 8bit\n"
     "        text: \"<p>Café</p>\"\n"
     "    multipart/related\n"
     "      data: 0 bytes sha256 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"
     "      defect: StartBoundaryNotFoundDefect\n"},
    {"iso_2022_jp", "ISO-2022-JP", "山田 太郎", "会議の お知らせ ABC 日程",
     [](CMimeMessage& m, const TempFolder& folder) {
         m.SetTextBody(W("日本語の本文").c_str());
         m.AddInlineImage(W(folder.Write("a.png", "png")).c_str(),
                          W("a").c_str()); // no HTML: left out
     },
     "    multipart/alternative\n"
     "      disposition: inline\n"
     "      text/plain; charset=\"ISO-2022-JP\"\n"
     "        transfer-encoding: 8bit\n"
     "        text: \"日本語の本文\"\n"},
    // The long-line part goes out quoted-printable and decodes to the text
    // with CR LF line ends; the short one stays 8bit.
    {"lines", "UTF-8", "Sender", "Lines",
     [](CMimeMessage& m, const TempFolder&) {
         m.SetTextBody(W("one\ntwo\rthree\r\n.\nfour").c_str());
         m.SetHtmlBody(W("<p>" + std::string(3000, 'x') + " Grüße</p>\n<p>=end</p>").c_str());
     },
     "    multipart/alternative\n"
     "      disposition: inline\n"
     "      text/html; charset=\"UTF-8\"\n"
     "        transfer-encoding: quoted-printable\n"
     "        text: \"<p>"
         + std::string(3000, 'x')
         + " Grüße</p>\\r\\n<p>=end</p>\"\n"
           "      text/plain; charset=\"UTF-8\"\n"
           "        transfer-encoding: 8bit\n"
           "        text: \"one\\r\\ntwo\\r\\nthree\\r\\n.\\r\\nfour\"\n"},
};

// The Message-ID header ends the header section; the historical
// "Message - ID" line stands before the first boundary.
TEST(DeliveredTree, ArrivesAsComposed)
{
    for (const Tree& tree : kTrees) {
        SCOPED_TRACE(tree.name);
        const std::string recipient = std::string("composition-") + tree.name + "-"
                                      + std::to_string(getpid()) + "@example.org";
        TempFolder folder;
        CMimeMessage m;
        m.SetCharset(W(tree.charset).c_str());
        m.SetFrom(W("sender@example.com").c_str(), W(tree.sender).c_str());
        m.AddTo(W(recipient).c_str(), nullptr);
        m.SetSubject(W(tree.subject).c_str());
        tree.fill(m, folder);
        EXPECT_EQ("headers:\n"
                  "  Content-Type: multipart/mixed; boundary=<boundary>\n"
                  "  Mime-Version: 1.0\n"
                  "  From: "
                      + std::string(tree.sender)
                      + " <sender@example.com>\n"
                        "  To: "
                      + recipient
                      + "\n"
                        "  X-Priority: 3 \n"
                        "  Date: <date>\n"
                        "  Subject: "
                      + tree.subject
                      + "\n"
                        "  Message-ID: <<guid>@"
                      + HostName()
                      + ">\n"
                        "body:\n"
                        "  multipart/mixed\n"
                        "    preamble: \"Message - ID: <<guid>@"
                      + HostName() + ">\\r\\n\\r\\n\"\n" + tree.body,
                  Deliver(m, recipient));
    }
}

} // namespace
