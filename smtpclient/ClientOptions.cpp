#include "ClientOptions.h"

#include <cstdint>
#include <limits>

namespace SMTPClientNS {

namespace {

struct OptionRule {
    int option;
    int32_t lowest;
    int32_t highest;
    int32_t fallback;
};

const int32_t kNoLimit = std::numeric_limits<int32_t>::max();

const OptionRule kOptionRules[] = {
    {kOptionKeepConnection, 0, 1, 0},
    {kOptionAsyncConnections, 1, 16, 1},
    {kOptionMessagesPerConnection, 0, kNoLimit, 100},
    {kOptionPartialDelivery, 0, 1, 0},
    {kOptionMessagesPerMinute, 0, kNoLimit, 0},
    {kOptionCompletionDetail, 0, 1, 0},
    {kOptionTraceToStandardError, 0, 1, 1},
};

const OptionRule* FindRule(int option)
{
    for (const OptionRule& rule : kOptionRules) {
        if (rule.option == option)
            return &rule;
    }
    return nullptr;
}

} // namespace

ClientOptions::ClientOptions() : values()
{
    for (const OptionRule& rule : kOptionRules)
        values[rule.option] = rule.fallback;
}

bool ClientOptions::Accepts(int option, int value)
{
    const OptionRule* rule = FindRule(option);
    return rule != nullptr && value >= rule->lowest && value <= rule->highest;
}

void ClientOptions::Set(int option, int value)
{
    values[option] = value;
}

int ClientOptions::Get(int option) const
{
    return FindRule(option) != nullptr ? values[option] : -1;
}

SendOptions ClientOptions::ForSend() const
{
    SendOptions options;
    options.keepConnection = values[kOptionKeepConnection] == 1;
    options.messagesPerConnection = values[kOptionMessagesPerConnection];
    options.partialDelivery = values[kOptionPartialDelivery] == 1;
    options.completionDetail = values[kOptionCompletionDetail] == 1;
    options.traceToStandardError = values[kOptionTraceToStandardError] == 1;
    return options;
}

} // namespace SMTPClientNS
