// How the outcome of sends is told to the person at the terminal.
#ifndef SMTPSEND_SENDREPORT_H
#define SMTPSEND_SENDREPORT_H

#include <string>

namespace SmtpSend {

struct SendTally {
    int delivered = 0;
    int failed = 0;
    double seconds = 0;
};

// Prints "LABEL: result CODE: TEXT" (or "result CODE: TEXT" without a label)
// and counts the send. An empty text is replaced by the code's English
// meaning.
void ReportOutcome(SendTally& tally, const std::string& label, int resultCode,
                   const std::string& text);

// Prints every line of detail after the outcome it explains, with the same
// label.
void ReportDetail(const std::string& label, const std::string& detail);

// "delivered D, failed F, in S s (R messages/s)".
void PrintSummary(const SendTally& tally);

} // namespace SmtpSend

#endif
