// Turns a fuzzer's byte string into the fields of a target, and stops the
// process when a target's expectation fails, so that the fuzzer keeps the
// input as a crash.
#ifndef SMTPCLIENT_TESTS_FUZZ_FUZZINPUT_H
#define SMTPCLIENT_TESTS_FUZZ_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "smtpclient/encoding/WideString.h"

namespace SMTPClientFuzz {

// The input cut at every LF byte; the pieces keep all other bytes.
std::vector<std::string> SplitLines(const uint8_t* data, size_t size);

// Bytes read leniently as UTF-8: three-byte forms may encode lone surrogates
// and any byte that starts no valid form stands for itself (U+0000..U+00FF),
// so every byte string yields text and every UTF-16 code unit is reachable.
SMTPClientNS::WString FuzzedText(const std::string& bytes);

// Reports what went wrong and aborts when condition is false.
void Expect(bool condition, const char* what);

} // namespace SMTPClientFuzz

#endif
