// The process-wide table that maps raw send outcomes to library result codes
// and messages.
#ifndef SMTPCLIENT_RESULTTABLE_H
#define SMTPCLIENT_RESULTTABLE_H

#include <cstdint>
#include <map>

#include "IMimeMessage.h"
#include "Outcomes.h"

namespace SMTPClientNS {

struct ResultEntry {
    int32_t resultCode;
    const SmtpChar* message; // static text, never copied
};

typedef std::map<int32_t, ResultEntry> ResultTable;

// A table with the messages of the given language; GetResultTable builds its
// one table with this.
ResultTable BuildResultTable(int32_t language);

// The table, built on first use in the language selected at that moment.
const ResultTable& GetResultTable();

// Selects the language of a table not yet built (0 English ... 10 Chinese).
void SetMessageLanguage(int32_t language);

// Library result code for a raw outcome; -1 when it has no row.
int32_t ToResultCode(int32_t rawOutcome);

// Message for a raw outcome; the general-error message when it has no row.
const SmtpChar* ToResultText(int32_t rawOutcome);

} // namespace SMTPClientNS

#endif
