// Sends against the local listeners and proxies: a delivered mail arrives as
// the client sent it; a failed send ends in its result code and raw outcome,
// and its session log says why without revealing a secret.
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

#include "LoopbackPort.h"
#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class Send;

// A send that delivers.
struct Case {
    const char* name;
    const char* listener;
    bool tls;
    void (*setup)(Send& test);
    const char* authUser = ""; // of the delivered mail, and the proxy it came through
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
    {"plain", "plain", false, nullptr},
    {"login_after_starttls", "starttls", true, [](T t) { t.Login("alice", "secret"); }, "alice"},
    // The listener offers LOGIN alone; the credentials go out in UTF-8.
    {"login_mechanism", "auth_login_only", false, [](T t) { t.Login(kBjorn, "p\xC3\xA4ssword"); },
     kBjorn},
    {"oauth2_token", "starttls", true,
     [](T t) {
         t.Login("alice", "");
         t.client->SetOAuth2Token(W("test-oauth-token").c_str());
     },
     "alice"},
    {"test_ca_trusted", "tls_ca", true,
     [](T t) {
         TrustOnlyTestCa(t.folder.Path("trusted_ca"));
         t.client->SetVerifyCertificate(1);
     }},
    {"socks4", "plain", false, [](T t) { t.Proxy("dante", 0, "127.0.0.1"); }, "", "dante",
     "SOCKS4 request granted."},
    {"socks4a", "plain", false, [](T t) { t.Proxy("socks4a", 1, "localhost"); }, "", "socks4a",
     "SOCKS4a request granted."},
    {"socks5_login", "plain", false, [](T t) { t.Proxy("socks5_auth", 2, "127.0.0.1", true); }, "",
     "socks5_auth", "(locally resolved)"},
    {"socks5_proxy_resolves", "plain", false, [](T t) { t.Proxy("socks5", 3, "localhost"); }, "",
     "socks5", "(remotely resolved)"},
    {"unknown_proxy_type_is_socks5", "plain", false, [](T t) { t.Proxy("dante", 9, "127.0.0.1"); },
     "", "dante", "SOCKS5 request granted."},
    // An empty proxy host tells libcurl to use no proxy at all.
    {"proxy_without_host", "plain", false, [](T t) { t.client->SetUseProxy(true); }},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, Send, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(Send, DeliversWhatWasSent)
{
    const Case& c = GetParam();
    const std::string to = std::string("send-") + c.name + "@example.test";
    Compose(to);
    message->AddCc(W("cc-" + to).c_str(), W("").c_str());
    message->AddBcc(W("bcc-" + to).c_str(), W("").c_str());
    UseListener(c.listener, c.tls);
    if (c.setup != nullptr)
        c.setup(*this);
    ASSERT_EQ(1, client->Send());
    EXPECT_EQ(CURLE_OK, client->GetLastResultCode());
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

const char kRefusedTo[] = "refused@example.test";
const char kPassword[] = "Wrong-Secret-1";
const char kToken[] = "Wrong-Token-7";

// A send that fails: its result code, the raw outcome GetLastResultCode holds
// right after it, the closing entry of its session log (a pattern), and the
// secrets the log must not hold, as typed and as sent in Base64.
struct Failure {
    const char* name;
    const char* listener; // null: a closed port
    bool tls;
    void (*setup)(SendTest& test);
    int result;
    int rawOutcome;
    const char* closingEntry;
    std::vector<std::string> secrets = {};
};

void WrongLogin(SendTest& t)
{
    t.Login("alice", kPassword);
}

void WrongToken(SendTest& t)
{
    t.client->SetUser(W("alice").c_str());
    t.client->SetOAuth2Token(W(kToken).c_str());
}

const std::vector<std::string> kPlainSecrets = {kPassword, "AGFsaWNlAFdyb25nLVNlY3JldC0x",
                                                "YWxpY2UAYWxpY2UAV3JvbmctU2VjcmV0LTE="};
const std::vector<std::string> kLoginSecrets = {kPassword, "V3JvbmctU2VjcmV0LTE=", "YWxpY2U="};
const std::vector<std::string> kTokenSecrets = {
    kToken, "dXNlcj1hbGljZQFhdXRoPUJlYXJlciBXcm9uZy1Ub2tlbi03AQE="};

typedef SendTest& F;
const Failure kFailures[] = {
    {"connection_refused", nullptr, false, nullptr, -5, CURLE_COULDNT_CONNECT,
     "Send failed: Failed to connect to 127\\.0\\.0\\.1 port [0-9]+ .*\n"},
    {"self_signed_refused", "starttls", true, [](F t) { t.client->SetVerifyCertificate(1); }, -9,
     CURLE_PEER_FAILED_VERIFICATION, "Send failed: SSL certificate problem: .*\n"},
    // TLS required and not offered has no result code of its own.
    {"server_without_starttls", "plain", true, nullptr, -1, CURLE_USE_SSL_FAILED,
     "Send failed: STARTTLS not .*\n"},
    {"server_requires_tls", "starttls_required", false, nullptr, -13, CURLE_SEND_ERROR,
     "Refused at MAIL FROM:<sender@example\\.test>.*: 530 .*\n"},
    {"login_plain_over_tls", "auth_plain_only", true, WrongLogin, -12, CURLE_LOGIN_DENIED,
     "Refused at AUTH PLAIN: 535 5\\.7\\.8 Authentication credentials invalid\n", kPlainSecrets},
    {"login_mechanism", "auth_login_only", false, WrongLogin, -12, CURLE_LOGIN_DENIED,
     "Refused at AUTH LOGIN: 535 5\\.7\\.8 Authentication credentials invalid\n", kLoginSecrets},
    {"xoauth2_over_tls", "starttls", true, WrongToken, -12, CURLE_LOGIN_DENIED,
     "Refused at AUTH XOAUTH2: 535 5\\.7\\.8 Authentication credentials invalid\n", kTokenSecrets},
    {"recipient_refused", "refuse_unknown_user", false, nullptr, -13, CURLE_SEND_ERROR,
     "Refused at RCPT TO:<refused@example\\.test>: 550 5\\.1\\.1 <refused@example\\.test>: "
     "Recipient address rejected: User unknown\n"},
    // libcurl does not expect a refusal after the final dot.
    {"message_refused", "refuse_data_policy", false, nullptr, -1, CURLE_WEIRD_SERVER_REPLY,
     "Refused after the message data: 554-5\\.7\\.1 Message rejected by policy\n"
     "554 5\\.7\\.1 See the postmaster's page for details\n"},
    {"over_the_size_limit", "refuse_over_size", false, nullptr, -13, CURLE_SEND_ERROR,
     "Refused at MAIL FROM:<sender@example\\.test>( SIZE=[0-9]+)?: "
     "552 5\\.3\\.4 Message size exceeds fixed maximum message size\n"},
    // The pipeline's own outcomes: -2 and -3 are also result codes of other failures.
    {"no_message", "plain", false, [](F t) { t.client->SetMimeMessage(nullptr); }, -1, -1,
     "Send failed: A general error occurred\n"},
    {"no_sender", "plain", false,
     [](F t) {
         t.message->Clear(0);
         t.message->AddTo(W(kRefusedTo).c_str(), W("").c_str());
     },
     -17, -2, "Send failed: No sender has been specified\\.\n"},
    {"no_recipients", "plain", false,
     [](F t) {
         t.message->Clear(0);
         t.message->SetFrom(W("sender@example.test").c_str(), W("").c_str());
     },
     -18, -3, "Send failed: No recipients have been specified\\.\n"},
    // The text body cannot be converted.
    {"unknown_charset", "plain", false,
     [](F t) { t.message->SetCharset(W("X-NO-SUCH-CHARSET").c_str()); }, -21, -21,
     "Send failed: Failed to send the email because its encoding is unsupported\\.\n"},
};

class FailedSend : public SendTest, public testing::WithParamInterface<Failure> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, FailedSend, testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(FailedSend, EndsInItsCodesAndSaysWhyWithoutSecrets)
{
    const Failure& c = GetParam();
    const LoopbackPort closed(false);
    Compose(kRefusedTo);
    if (c.listener != nullptr) {
        UseListener(c.listener, c.tls);
    } else {
        client->SetPort(closed.Port());
        client->SetUseTls(false);
    }
    if (c.setup != nullptr)
        c.setup(*this);
    EXPECT_EQ(c.result, client->Send());
    EXPECT_EQ(c.rawOutcome, client->GetLastResultCode());

    const std::string last = U8(client->GetLastLogEntry());
    const std::string log = U8(client->GetSessionLog());
    EXPECT_EQ(c.result, client->GetLastResultCode()) << "mapped by the log's summary";
    EXPECT_TRUE(std::regex_match(last, std::regex(c.closingEntry))) << last << log;
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(last, log.substr(log.size() - last.size()));
    for (const std::string& secret : c.secrets)
        EXPECT_EQ(std::string::npos, log.find(secret)) << secret << " in\n" << log;
    EXPECT_TRUE(MailTo(kRefusedTo).empty());

    // A log file set after the send gets its whole trace at once.
    client->SetLogFile(W(folder.Path("send.log")).c_str(), false);
    const std::string file = folder.Read("send.log");
    ASSERT_FALSE(file.empty());
    for (const std::string& secret : c.secrets)
        EXPECT_EQ(std::string::npos, file.find(secret)) << secret << " in the log file";
}

// The listener can only be on port 465 when the test servers could bind it
// (as root, and only one test run at a time).
TEST_F(SendTest, Port465SpeaksTlsFromTheFirstByteUnderTheSameSettings)
{
    if (OptionalServerPort("implicit_tls") == 0)
        GTEST_SKIP() << "not run: the test servers could not bind 127.0.0.1:465";
    const std::string to = "implicit-tls@example.test";
    Compose(to);
    UseListener("implicit_tls", false); // TLS all the same: the port asks for it
    Login("alice", "secret");
    ASSERT_EQ(1, client->Send());
    const ReceivedMail mail = WaitForMailTo(to);
    EXPECT_EQ((std::vector<std::string>{"implicit_tls", "alice"}),
              (std::vector<std::string>{mail.listener, mail.authUser}));
    EXPECT_TRUE(mail.tls);

    client->SetVerifyCertificate(1);
    EXPECT_EQ(-9, client->Send()) << "the certificate is checked";
    client->SetVerifyCertificate(0);
    client->SetTlsVersion(1);
    EXPECT_EQ(-8, client->Send()) << "TLS 1.0 pinned against a server of TLS 1.2 and later";
}

// What README.md says GetLastResultCode holds, step by step: the raw outcome
// of the last Send, mapped once more by every log summary, never by SendAsync.
TEST_F(SendTest, LastResultCodeIsTheRawOutcomeUntilASummaryMapsIt)
{
    const LoopbackPort closed(false);
    Compose("history@example.test");
    EXPECT_EQ(999, client->GetLastResultCode()) << "before any send";
    client->SetPort(closed.Port());
    client->SetUseTls(false);
    EXPECT_EQ(-5, client->Send());
    EXPECT_EQ(CURLE_COULDNT_CONNECT, client->GetLastResultCode());
    RecordingCallback recorder;
    client->SetAsyncCallback(&recorder);
    ASSERT_GT(client->SendAsync(), 0);
    ASSERT_TRUE(PumpUntil(recorder, 1));
    client->SetAsyncCallback(nullptr);
    EXPECT_EQ(-5, recorder.completions[0].resultCode);
    EXPECT_EQ(CURLE_COULDNT_CONNECT, client->GetLastResultCode()) << "SendAsync leaves it";
    client->GetSessionLog();
    EXPECT_EQ(-5, client->GetLastResultCode());
    client->GetSessionLog();
    EXPECT_EQ(-1, client->GetLastResultCode()) << "-5 looked up as a raw outcome";

    client->SetLogFile(W(folder.Path("history.log")).c_str(), false);
    EXPECT_EQ(-5, client->Send());
    EXPECT_EQ(-5, client->GetLastResultCode()) << "mapped by the log file's summary";
    message->Clear(0);
    EXPECT_EQ(-17, client->Send());
    EXPECT_EQ(-2, client->GetLastResultCode()) << "a build failure writes no log file";
    UseListener("plain", false);
    Compose("history@example.test");
    EXPECT_EQ(1, client->Send());
    const std::string log = U8(client->GetSessionLog());
    EXPECT_EQ(0, client->GetLastResultCode());
    EXPECT_EQ(0u, log.find("S: 220 ")) << "a new send starts an empty session log:\n" << log;
}
