// The fuzz targets. Each takes one input, runs it through the library and
// aborts when the outcome breaks what the library promises. libFuzzer runs
// them one per executable; the regression tests replay saved inputs through
// the same functions.
#ifndef SMTPCLIENT_TESTS_FUZZ_FUZZTARGETS_H
#define SMTPCLIENT_TESTS_FUZZ_FUZZTARGETS_H

#include <cstddef>
#include <cstdint>

namespace SMTPClientFuzz {

// Lines: charset, priority, "sender<TAB>name", subject, then recipients as
// "T", "C" or "B" followed by "address<TAB>name".
int FuzzHeaderBlock(const uint8_t* data, size_t size);

// The whole input is the HTML body.
int FuzzEmbedHtmlImages(const uint8_t* data, size_t size);

// First byte: libcurl's info type; second: the layout flag; then the data.
int FuzzTraceFormat(const uint8_t* data, size_t size);

// First line: charset name; the rest: the text to convert.
int FuzzCharsetConversion(const uint8_t* data, size_t size);

// The whole input is one address.
int FuzzAddressCheck(const uint8_t* data, size_t size);

// First byte: the body kind (its value modulo 8, less 1); the rest: the
// file's contents.
int FuzzBodyFromFile(const uint8_t* data, size_t size);

} // namespace SMTPClientFuzz

#endif
