// Text helpers for tests: UTF-8 literals to the library's UTF-16 and back.
#ifndef SMTPCLIENT_TESTS_TESTTEXT_H
#define SMTPCLIENT_TESTS_TESTTEXT_H

#include <string>

#include "smtpclient/WideString.h"

namespace SMTPClientTest {

SMTPClientNS::WString W(const std::string& utf8);
std::string U8(const SMTPClientNS::SmtpChar* text);
std::string U8(const SMTPClientNS::WString& text);

} // namespace SMTPClientTest

#endif
