// A small JSON reader for the files the test servers write (ports, mail
// envelopes). Strings come back as the UTF-8 bytes they hold; \u escapes
// are read for ASCII only, the only ones the servers write.
#ifndef SMTPCLIENT_TESTS_TESTJSON_H
#define SMTPCLIENT_TESTS_TESTJSON_H

#include <string>
#include <utility>
#include <vector>

namespace SMTPClientTest {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;                              // of an array
    std::vector<std::pair<std::string, JsonValue>> members;    // of an object, in file order

    // The member named key, or nullptr.
    const JsonValue* Find(const std::string& key) const;
};

// Parses text into value; false when it is not one well-formed JSON value.
bool ParseJson(const std::string& text, JsonValue& value);

} // namespace SMTPClientTest

#endif
