// The raw outcomes of a send: what its steps end in, before the result table
// turns them into the result codes the host sees (SmtpResult).
#ifndef SMTPCLIENT_OUTCOMES_H
#define SMTPCLIENT_OUTCOMES_H

#include <curl/curl.h>

#include <cstdint>

namespace SMTPClientNS {

// A libcurl CURLcode is a raw outcome as it is (CURLE_OK, 0, is success);
// the library's own steps end in the values below zero, apart from
// libcurl's codes. The conversion failures are their own result codes.
enum class RawOutcome : int32_t {
    Success = 0,
    // A step that found no handle, message or arguments to work with, or a
    // task that could not run: it has no row and reads as a general error.
    BadState = -1,
    NoSender = -2,
    NoRecipients = -3,
    ConversionInvalidParameter = -19,
    ConversionOutOfMemory = -20,
    ConversionUnsupported = -21,
    ConversionFailed = -22,
    // Key of the general-error row: no step produces it; an outcome without
    // a row of its own takes its message.
    GeneralErrorKey = 100,
};

inline RawOutcome OutcomeOf(CURLcode code)
{
    return static_cast<RawOutcome>(code);
}

// A step's int result, which holds 0, a CURLcode or one of the library's
// own outcomes.
inline RawOutcome OutcomeOfStep(int result)
{
    return static_cast<RawOutcome>(result);
}

inline int32_t ValueOf(RawOutcome outcome)
{
    return static_cast<int32_t>(outcome);
}

} // namespace SMTPClientNS

#endif
