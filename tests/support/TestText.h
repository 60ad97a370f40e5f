// Text helpers for tests: UTF-8 literals to the library's UTF-16 and back,
// and made-up contents.
#ifndef SMTPCLIENT_TESTS_TESTTEXT_H
#define SMTPCLIENT_TESTS_TESTTEXT_H

#include <cstdint>
#include <string>

#include "smtpclient/WideString.h"

namespace SMTPClientTest {

SMTPClientNS::WString W(const std::string& utf8);
std::string U8(const SMTPClientNS::SmtpChar* text);
std::string U8(const SMTPClientNS::WString& text);

std::string Repeated(const std::string& text, int times);

// The same bytes for the same seed on every run, so that their hash is known.
std::string PseudoRandomBytes(size_t size, uint32_t seed);

} // namespace SMTPClientTest

#endif
