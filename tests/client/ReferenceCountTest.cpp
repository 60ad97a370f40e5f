// Lifetimes of the exported client, its implementation and the host's
// objects. Run under AddressSanitizer these also catch double frees and leaks.
#include <gtest/gtest.h>

#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

// Counts its own destruction.
template <class Base>
class Counting : public Base {
public:
    explicit Counting(int& destroyed) : destroyed(destroyed) {}
    ~Counting() override { ++destroyed; }

private:
    int& destroyed;
};

class SilentCallback : public IAsyncCallback {
public:
    int OnSendComplete(int, int, const SmtpChar*) override { return 0; }
};

// References taken through the client or on the implementation keep the
// implementation alive after the client is gone, and usable.
TEST(ReferenceCount, ImplementationOutlivesTheClientWhileReferenced)
{
    int destroyed = 0;
    auto* implementation = new Counting<CSmtpClientWrapper>(destroyed);
    ISmtpClient* client = new CSmtpClient(implementation);
    client->SetHost(W("kept.example").c_str());
    client->AddRef();
    implementation->AddRef();

    client->Release();
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ("kept.example", U8(implementation->GetHost()));
    implementation->SetPort(587);
    EXPECT_EQ(587, implementation->GetPort());

    implementation->Release();
    EXPECT_EQ(0, destroyed);
    implementation->Release();
    EXPECT_EQ(1, destroyed);
}

TEST(HostObjects, ReleasingClientsNeverTouchesMessageOrCallback)
{
    int messageDestroyed = 0;
    auto* message = new Counting<CMimeMessage>(messageDestroyed);
    SilentCallback callback;
    message->SetSubject(W("reused").c_str());

    ISmtpClient* first = new CSmtpClient(new CSmtpClientWrapper());
    first->SetMimeMessage(message);
    first->SetAsyncCallback(&callback);
    first->Release();
    EXPECT_EQ(0, messageDestroyed);

    ISmtpClient* second = new CSmtpClient(new CSmtpClientWrapper());
    second->SetMimeMessage(message);
    EXPECT_EQ(message, second->GetMimeMessage());
    EXPECT_EQ("reused", U8(second->GetMimeMessage()->GetSubject()));
    second->Release();
    EXPECT_EQ(0, messageDestroyed);

    message->Release();
    EXPECT_EQ(1, messageDestroyed);
}

} // namespace
