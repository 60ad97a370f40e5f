// What the library's result codes mean, in English, for sends whose
// localized message the library does not hand out.
#ifndef SMTPSEND_RESULTMEANINGS_H
#define SMTPSEND_RESULTMEANINGS_H

namespace SmtpSend {

const char* ResultMeaning(int resultCode);

} // namespace SmtpSend

#endif
