// The rows of the result table and their messages in every supported
// language, as static data.
#ifndef SMTPCLIENT_RESULTMESSAGES_H
#define SMTPCLIENT_RESULTMESSAGES_H

#include <cstddef>
#include <cstdint>

#include "ISmtpClient.h"
#include "Outcomes.h"

namespace SMTPClientNS {

// Every language carries one message per row.
const std::size_t kResultRowCount = 23;

// Languages 0 (English) to 10 (Chinese); any other value means English.
const int32_t kMessageLanguageCount = 11;

struct ResultRow {
    RawOutcome key;
    SmtpResult resultCode;
};

// Keys and result codes, shared by all languages, in insertion order.
extern const ResultRow kResultRows[kResultRowCount];

// The messages of a language, one per entry of kResultRows in the same order;
// English for a language outside 0 to 10. The texts have static lifetime.
const SmtpChar* const* ResultMessagesFor(int32_t language);

} // namespace SMTPClientNS

#endif
