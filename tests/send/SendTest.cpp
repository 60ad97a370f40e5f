// Sends against the local listeners and proxies: each ends in its result code
// and libcurl's, and a delivered mail arrives as the client sent it.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class Send;

struct Case {
    const char* name;
    const char* listener;
    bool tls;
    void (*setup)(Send& test);
    int result;
    int rawOutcome;
    const char* authUser = ""; // of a delivered mail, and the proxy it came through
    const char* via = "";
    const char* trace = ""; // libcurl's words for the proxy kind it used
};

bool WriteProcFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path);
    return static_cast<bool>(file << text << std::flush);
}

// libcurl reads its compiled-in CA folder, so a private mount namespace puts
// the test CA alone there; the machine's trust store is never touched. Must
// run while the process has a single thread.
void TrustOnlyTestCa(const std::string& folder)
{
    mkdir(folder.c_str(), 0700);
    std::ofstream(folder + "/ca-certificates.crt") << std::ifstream(TestCaFile()).rdbuf();
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    ASSERT_EQ(0, unshare(CLONE_NEWUSER | CLONE_NEWNS));
    ASSERT_TRUE(WriteProcFile("/proc/self/setgroups", "deny")
                && WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1")
                && WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1"));
    ASSERT_EQ(0, mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr));
    ASSERT_EQ(0, mount(folder.c_str(), "/etc/ssl/certs", nullptr, MS_BIND, nullptr));
}

class Send : public SendTest, public testing::WithParamInterface<Case> {
public:
    void Proxy(const char* proxy, int type, const char* smtpHost, bool login = false)
    {
        client->SetHost(W(smtpHost).c_str());
        ASSERT_EQ(1, client->SetProxy(W("127.0.0.1").c_str(), ServerPort(proxy), type,
                                      W(login ? "proxyuser" : "").c_str(),
                                      W(login ? "proxypass" : "").c_str()));
    }

    // The log of the last send, written when a log file is set.
    std::string Trace()
    {
        client->SetLogFile(W(folder.Path("trace.log")).c_str(), false);
        return folder.Read("trace.log");
    }
};

typedef Send& T;
const char kBjorn[] = "bj\xC3\xB6rn";

const Case kCases[] = {
    {"plain", "plain", false, nullptr, 1, CURLE_OK},
    {"login_after_starttls", "starttls", true, [](T t) { t.Login("alice", "secret"); }, 1, CURLE_OK,
     "alice"},
    // The listener offers LOGIN alone; the credentials go out in UTF-8.
    {"login_mechanism", "auth_login_only", false, [](T t) { t.Login(kBjorn, "p\xC3\xA4ssword"); },
     1, CURLE_OK, kBjorn},
    {"oauth2_token", "starttls", true,
     [](T t) {
         t.Login("alice", "");
         t.client->SetOAuth2Token(W("test-oauth-token").c_str());
     },
     1, CURLE_OK, "alice"},
    {"test_ca_trusted", "tls_ca", true,
     [](T t) {
         TrustOnlyTestCa(t.folder.Path("trusted_ca"));
         t.client->SetVerifyCertificate(1);
     },
     1, CURLE_OK},
    {"self_signed_refused", "starttls", true, [](T t) { t.client->SetVerifyCertificate(1); }, -9,
     CURLE_PEER_FAILED_VERIFICATION},
    {"server_without_starttls", "plain", true, nullptr, -1, CURLE_USE_SSL_FAILED},
    {"server_requires_tls", "starttls_required", false, nullptr, -13, CURLE_SEND_ERROR},
    {"wrong_password", "starttls", true, [](T t) { t.Login("alice", "wrong"); }, -12,
     CURLE_LOGIN_DENIED},
    {"recipient_refused", "reject_rcpt_5xx", false, nullptr, -13, CURLE_SEND_ERROR},
    // libcurl does not expect a refusal after the final dot.
    {"message_refused", "reject_data_5xx", false, nullptr, -1, CURLE_WEIRD_SERVER_REPLY},
    {"no_message", "plain", false, [](T t) { t.client->SetMimeMessage(nullptr); }, -1, -1},
    // The text body cannot be converted.
    {"unknown_charset", "plain", false,
     [](T t) { t.message->SetCharset(W("X-NO-SUCH-CHARSET").c_str()); }, -21, -21},
    {"no_sender", "plain", false,
     [](T t) {
         t.message->Clear(0);
         t.message->AddTo(W("nobody@example.test").c_str(), W("").c_str());
     },
     -17, -2},
    {"no_recipients", "plain", false,
     [](T t) {
         t.message->Clear(0);
         t.message->SetFrom(W("sender@example.test").c_str(), W("").c_str());
     },
     -18, -3},
    {"socks4", "plain", false, [](T t) { t.Proxy("dante", 0, "127.0.0.1"); }, 1, CURLE_OK, "",
     "dante", "SOCKS4 request granted."},
    {"socks4a", "plain", false, [](T t) { t.Proxy("socks4a", 1, "localhost"); }, 1, CURLE_OK, "",
     "socks4a", "SOCKS4a request granted."},
    {"socks5_login", "plain", false, [](T t) { t.Proxy("socks5_auth", 2, "127.0.0.1", true); }, 1,
     CURLE_OK, "", "socks5_auth", "(locally resolved)"},
    {"socks5_proxy_resolves", "plain", false, [](T t) { t.Proxy("socks5", 3, "localhost"); }, 1,
     CURLE_OK, "", "socks5", "(remotely resolved)"},
    {"unknown_proxy_type_is_socks5", "plain", false, [](T t) { t.Proxy("dante", 9, "127.0.0.1"); },
     1, CURLE_OK, "", "dante", "SOCKS5 request granted."},
    // An empty proxy host tells libcurl to use no proxy at all.
    {"proxy_without_host", "plain", false, [](T t) { t.client->SetUseProxy(true); }, 1, CURLE_OK},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, Send, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(Send, EndsInItsCodeAndDeliversWhatWasSent)
{
    const Case& c = GetParam();
    const std::string to = std::string("send-") + c.name + "@example.test";
    Compose(to);
    message->AddCc(W("cc-" + to).c_str(), W("").c_str());
    message->AddBcc(W("bcc-" + to).c_str(), W("").c_str());
    UseListener(c.listener, c.tls);
    if (c.setup != nullptr)
        c.setup(*this);
    EXPECT_EQ(c.result, client->Send());
    EXPECT_EQ(c.rawOutcome, client->GetLastResultCode());
    if (c.result != 1) {
        EXPECT_TRUE(MailTo(to).empty());
        return;
    }
    const ReceivedMail mail = WaitForMailTo(to);
    EXPECT_EQ("sender@example.test", mail.mailFrom);
    EXPECT_EQ((std::vector<std::string>{to, "cc-" + to, "bcc-" + to}), mail.rcptTos);
    EXPECT_EQ(c.tls, mail.tls);
    EXPECT_EQ(c.authUser, mail.authUser);
    EXPECT_EQ(c.via, mail.via);
    EXPECT_NE(std::string::npos, DescribeMail(mail.rawPath).find("\n  Subject: Test " + to + "\n"));
    EXPECT_NE(std::string::npos, Trace().find(c.trace));
}

namespace {

// Addresses that are not ASCII. A domain goes out as its A-label, in the
// envelope and the header alike; a local part needs SMTPUTF8, which the send
// asks for where the server offers it. Where it does not, the send stops
// before MAIL FROM, and its closing log entry says why.
TEST(InternationalAddresses, GoAsALabelsOrWithSmtputf8)
{
    const struct {
        const char* name;
        const char* listener;
        const char* sender;
        const char* recipient; // "%" stands for the case's name
        int result;
        const char* wireSender = "";
        const char* wireRecipient = "";
        bool smtputf8 = false;
    } cases[] = {
        {"idn_domain", "no_smtputf8", "sender@bücher.example", "%@bücher.example", 1,
         "sender@xn--bcher-kva.example", "%@xn--bcher-kva.example", false},
        {"utf8_recipient", "plain", "sender@example.test", "jürgen-%@bücher.example", 1,
         "sender@example.test", "jürgen-%@xn--bcher-kva.example", true},
        {"utf8_sender", "plain", "jürgen@example.test", "%@example.test", 1, "jürgen@example.test",
         "%@example.test", true},
        {"utf8_recipient_unoffered", "no_smtputf8", "sender@example.test", "jürgen-%@example.test",
         -1},
        {"utf8_sender_unoffered", "no_smtputf8", "jürgen@example.test", "%@example.test", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto named = [&](const char* text) {
            return std::regex_replace(text, std::regex("%"), c.name);
        };
        CMimeMessage message;
        message.SetFrom(W(c.sender).c_str(), W("Sender").c_str());
        message.AddTo(W(named(c.recipient)).c_str(), nullptr);
        message.SetSubject(W("International").c_str());
        message.SetTextBody(W("Hello.").c_str());
        CSmtpClient client(new CSmtpClientWrapper());
        client.SetMimeMessage(&message);
        UsePort(client, ServerPort(c.listener));
        ASSERT_EQ(c.result, client.Send());
        if (c.result != 1) {
            EXPECT_TRUE(MailTo(named(c.recipient)).empty());
            EXPECT_NE(std::string::npos,
                      U8(client.GetLastLogEntry())
                          .find("Send failed: The server does not offer SMTPUTF8"))
                << U8(client.GetLastLogEntry());
            const std::string log = U8(client.GetSessionLog());
            EXPECT_NE(std::string::npos, log.find("C: EHLO")) << log;
            EXPECT_EQ(std::string::npos, log.find("MAIL FROM")) << log;
            continue;
        }
        const std::string recipient = named(c.wireRecipient);
        const ReceivedMail mail = WaitForMailTo(recipient);
        EXPECT_EQ(c.wireSender, mail.mailFrom);
        EXPECT_EQ(c.smtputf8,
                  std::find(mail.mailOptions.begin(), mail.mailOptions.end(), "SMTPUTF8")
                      != mail.mailOptions.end());
        EXPECT_NE(std::string::npos, mail.raw.find("\r\nTo: " + recipient + "\r\n")) << mail.raw;
        EXPECT_NE(std::string::npos,
                  mail.raw.find("\r\nFrom: Sender <" + std::string(c.wireSender) + ">\r\n"))
            << mail.raw;
    }
}

} // namespace
