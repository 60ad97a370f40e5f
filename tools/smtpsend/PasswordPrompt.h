// Asking for a password on the terminal without showing it.
#ifndef SMTPSEND_PASSWORDPROMPT_H
#define SMTPSEND_PASSWORDPROMPT_H

#include <string>

namespace SmtpSend {

bool StandardInputIsTerminal();

// Writes prompt to standard error and reads one line from the terminal on
// standard input with echo off; the terminal is restored afterwards, also
// when the program is interrupted. False when the input ended first.
bool ReadHiddenLine(const std::string& prompt, std::string& line);

} // namespace SmtpSend

#endif
