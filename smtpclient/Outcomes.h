// The outcomes of a send by name: the raw outcomes the library's own steps
// produce beside libcurl's CURLcodes, and the result codes the host sees.
#ifndef SMTPCLIENT_OUTCOMES_H
#define SMTPCLIENT_OUTCOMES_H

#include <cstdint>

namespace SMTPClientNS {

// Raw outcomes of the library's own steps, below zero and so apart from
// libcurl's codes.

// A step that found no handle, message or arguments to work with, or a task
// that could not run: it has no row and reads as a general error.
const int32_t kOutcomeBadState = -1;
const int32_t kOutcomeNoSender = -2;
const int32_t kOutcomeNoRecipients = -3;

// A text that could not be converted into the message's character set. These
// outcomes are their own result codes.
const int32_t kOutcomeConversionInvalidParameter = -19;
const int32_t kOutcomeConversionOutOfMemory = -20;
const int32_t kOutcomeConversionUnsupported = -21;
const int32_t kOutcomeConversionFailed = -22;

// Key of the general-error row: no step produces it; an outcome without a
// row of its own takes its message.
const int32_t kGeneralErrorKey = 100;

// What the conversion's inner step returns, before it becomes one of the
// conversion outcomes above; a failed conversion returns its errno instead.
// Refused covers bad arguments and no memory for the output alike.
const int kConversionStepDone = 1;
const int kConversionStepRefused = -1;
const int kConversionStepOutOfMemory = -2;
const int kConversionStepUnknownCharset = -3;

// Result codes, as the host sees them.
const int32_t kResultSuccess = 1;
const int32_t kResultGeneralError = -1;
const int32_t kResultProxyConnectFailed = -2;
const int32_t kResultProxyNotResolved = -3;
const int32_t kResultHostNotResolved = -4;
const int32_t kResultConnectFailed = -5;
const int32_t kResultMalformedHost = -6;
const int32_t kResultUnsupportedProtocol = -7;
const int32_t kResultTlsConnectFailed = -8;
const int32_t kResultCertificateRejected = -9;
const int32_t kResultCertificateAuthenticationFailed = -10;
const int32_t kResultTimedOut = -11;
const int32_t kResultLoginDenied = -12;
const int32_t kResultSendFailed = -13;
const int32_t kResultReceiveFailed = -14;
const int32_t kResultWrongCredentials = -15;
const int32_t kResultFileReadFailed = -16;
const int32_t kResultNoSender = -17;
const int32_t kResultNoRecipients = -18;
const int32_t kResultConversionInvalidParameter = kOutcomeConversionInvalidParameter;
const int32_t kResultConversionOutOfMemory = kOutcomeConversionOutOfMemory;
const int32_t kResultConversionUnsupported = kOutcomeConversionUnsupported;
const int32_t kResultConversionFailed = kOutcomeConversionFailed;

} // namespace SMTPClientNS

#endif
