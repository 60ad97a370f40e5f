// The envelope list that SetRecipients builds: every address, To then Cc then
// Bcc, after whatever the slot already held.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>
#include <vector>

#include "SendTestClient.h"
#include "smtpclient/SendPipeline.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::vector<std::string> Entries(const curl_slist* list)
{
    std::vector<std::string> entries;
    for (; list != nullptr; list = list->next)
        entries.push_back(list->data);
    return entries;
}

class EnvelopeRecipients : public SendTest {
protected:
    // Adds count addresses, cycling through To, Cc and Bcc, and returns them
    // in envelope order.
    std::vector<std::string> AddRecipients(int count)
    {
        std::vector<std::string> byKind[3];
        for (int i = 0; i < count; ++i) {
            const std::string address = "r" + std::to_string(i) + "@example.test";
            const int kind = i % 3;
            if (kind == 0)
                message->AddTo(W(address).c_str(), W("").c_str());
            else if (kind == 1)
                message->AddCc(W(address).c_str(), W("").c_str());
            else
                message->AddBcc(W(address).c_str(), W("").c_str());
            byKind[kind].push_back(address);
        }
        std::vector<std::string> envelope;
        for (const auto& addresses : byKind)
            envelope.insert(envelope.end(), addresses.begin(), addresses.end());
        return envelope;
    }
};

TEST_F(EnvelopeRecipients, HoldsEveryAddressInEnvelopeOrderAfterExistingEntries)
{
    for (int count : {1, 4, 3000}) {
        message->Clear(0);
        const std::vector<std::string> envelope = AddRecipients(count);
        for (bool prefilled : {false, true}) {
            CURL* curl = curl_easy_init();
            curl_slist* list = prefilled ? curl_slist_append(nullptr, "kept@example.test") : nullptr;
            std::vector<std::string> expected = envelope;
            if (prefilled)
                expected.insert(expected.begin(), "kept@example.test");

            EXPECT_EQ(0, SetRecipients(curl, &list, client));
            EXPECT_EQ(expected, Entries(list)) << count << " recipients, prefilled " << prefilled;

            curl_slist_free_all(list);
            curl_easy_cleanup(curl);
        }
    }
}

} // namespace
