// The process-wide table that maps raw send outcomes to library result codes
// and messages.
#ifndef SMTPCLIENT_RESULTTABLE_H
#define SMTPCLIENT_RESULTTABLE_H

#include <cstdint>
#include <map>

#include "ISmtpClient.h"
#include "Outcomes.h"

namespace SMTPClientNS {

struct ResultEntry {
    SmtpResult resultCode;
    const SmtpChar* message; // static text, never copied
};

typedef std::map<RawOutcome, ResultEntry> ResultTable;

// A table with the messages of the given language; GetResultTable builds its
// one table with this.
ResultTable BuildResultTable(int32_t language);

// The table, built on first use in the language selected at that moment.
const ResultTable& GetResultTable();

// Selects the language of a table not yet built (0 English ... 10 Chinese).
void SetMessageLanguage(int32_t language);

// Library result code for a raw outcome; -1 when it has no row.
SmtpResult ToResultCode(RawOutcome rawOutcome);

// Message for a raw outcome; the general-error message when it has no row.
const SmtpChar* ToResultText(RawOutcome rawOutcome);

} // namespace SMTPClientNS

#endif
