#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Sender, then the counts of To, Cc, Bcc, attachments and inline images.
std::string State(CMimeMessage& m)
{
    return U8(m.GetFrom(0)) + " " + std::to_string(m.GetToCount()) + std::to_string(m.GetCcCount())
           + std::to_string(m.GetBccCount()) + std::to_string(m.GetAttachmentCount())
           + std::to_string(m.GetInlineImageCount());
}

// Each row starts from a message holding one of everything. Adders return
// the new entry's number from 1, or -1 without storing anything.
TEST(Message, OperationsReturnTheirCodeAndChangeOnlyTheirPart)
{
    TempFolder folder;
    const WString file = W(folder.Write("räport.pdf", "pdf"));
    const WString missing = W(folder.Path("missing.png"));
    ASSERT_EQ(0, mkfifo(folder.Path("pipe.png").c_str(), 0600));
    const WString fifo = W(folder.Path("pipe.png"));
    // An existing file: only its name's line break refuses it.
    const WString broken = W(folder.Write("line\nbreak.png", "png"));
    // "Content-ID: <" and ">" around it: 984 characters fill a line of 998 octets.
    const WString longestId(984, SMTPCLIENT_TEXT('i'));
    typedef CMimeMessage& M;
    const struct {
        const char* name;
        std::function<int(M)> operation;
        int result;
        const char* state;
    } cases[] = {
        {"AddTo", [](M m) { return m.AddTo(W("jørn@b").c_str(), nullptr); }, 2, "a@b 21111"},
        {"AddCc without inner at", [](M m) { return m.AddCc(W("a@").c_str(), nullptr); }, -1,
         "a@b 11111"},
        {"AddBcc with a line break",
         [](M m) { return m.AddBcc(W("a@b\r\nQUIT").c_str(), nullptr); }, -1, "a@b 11111"},
        {"SetFrom refused", [](M m) { return m.SetFrom(W("@b").c_str(), nullptr); }, -1,
         "a@b 11111"},
        {"AddAttachment again", [&](M m) { return m.AddAttachment(file.c_str()); }, 2, "a@b 11121"},
        {"AddAttachment missing", [&](M m) { return m.AddAttachment(missing.c_str()); }, -1,
         "a@b 11111"},
        {"AddInlineImage missing", [&](M m) { return m.AddInlineImage(missing.c_str(), nullptr); },
         -1, "a@b 11111"},
        // Only regular files: a pipe or a device would hold the send up.
        {"AddAttachment folder", [&](M m) { return m.AddAttachment(W(folder.Path()).c_str()); }, -1,
         "a@b 11111"},
        {"AddAttachment FIFO", [&](M m) { return m.AddAttachment(fifo.c_str()); }, -1, "a@b 11111"},
        {"AddInlineImage device",
         [&](M m) { return m.AddInlineImage(W("/dev/null").c_str(), W("id").c_str()); }, -1,
         "a@b 11111"},
        {"AddInlineImage FIFO", [&](M m) { return m.AddInlineImage(fifo.c_str(), nullptr); }, -1,
         "a@b 11111"},
        {"AddAttachment with a line break", [&](M m) { return m.AddAttachment(broken.c_str()); },
         -1, "a@b 11111"},
        {"AddInlineImage with a line break",
         [&](M m) { return m.AddInlineImage(broken.c_str(), W("id").c_str()); }, -1, "a@b 11111"},
        {"AddInlineImage, longest content identifier",
         [&](M m) { return m.AddInlineImage(file.c_str(), longestId.c_str()); }, 2, "a@b 11112"},
        {"AddInlineImage, content identifier one too long",
         [&](M m) { return m.AddInlineImage(file.c_str(), (longestId + longestId[0]).c_str()); },
         -1, "a@b 11111"},
        {"Clear everything", [](M m) { return m.Clear(0); }, 1, " 00000"},
        {"Clear Cc", [](M m) { return m.Clear(2); }, 1, "a@b 10111"},
        {"Clear sender", [](M m) { return m.Clear(6); }, 1, " 11111"},
        {"Clear unknown", [](M m) { return m.Clear(7); }, -1, "a@b 11111"},
    };
    for (const auto& c : cases) {
        CMimeMessage message;
        message.SetFrom(W("a@b").c_str(), nullptr);
        message.AddTo(W("a@b").c_str(), nullptr);
        message.AddCc(W("a@b").c_str(), nullptr);
        message.AddBcc(W("a@b").c_str(), nullptr);
        message.AddAttachment(file.c_str());
        message.AddInlineImage(file.c_str(), W("id").c_str());
        EXPECT_EQ(c.result, c.operation(message)) << c.name;
        EXPECT_EQ(c.state, State(message)) << c.name;
    }
}

} // namespace
