// Reads the JSON files the test servers write (json.dumps with indent=1):
// one object whose values are strings, numbers, booleans or arrays of strings.
#ifndef SMTPCLIENT_TESTS_TESTJSON_H
#define SMTPCLIENT_TESTS_TESTJSON_H

#include <map>
#include <string>
#include <vector>

namespace SMTPClientTest {

// Member name -> its values: one for a scalar (strings decoded, other values
// as written), one per item for an array.
typedef std::map<std::string, std::vector<std::string>> JsonObject;
JsonObject ParseJsonObject(const std::string& text);

} // namespace SMTPClientTest

#endif
