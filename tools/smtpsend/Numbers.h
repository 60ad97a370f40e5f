// Whole numbers given as option values.
#ifndef SMTPSEND_NUMBERS_H
#define SMTPSEND_NUMBERS_H

#include <string>

namespace SmtpSend {

// The decimal number in text, which must lie between lowest and highest.
// Throws std::invalid_argument with a message naming what.
int ParseNumber(const std::string& text, int lowest, int highest, const std::string& what);

} // namespace SmtpSend

#endif
