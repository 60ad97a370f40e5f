// What the library's result codes mean, in English, for sends whose
// localized message the library does not hand out.
#ifndef SMTPSEND_RESULTMEANINGS_H
#define SMTPSEND_RESULTMEANINGS_H

#include <vector>

namespace SmtpSend {

const char* ResultMeaning(int resultCode);

// Every code that has a meaning, so that a test can hold the list against
// the library's result table.
std::vector<int> ResultCodesWithMeaning();

} // namespace SmtpSend

#endif
