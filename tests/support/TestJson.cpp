#include "TestJson.h"

#include <cstdlib>
#include <sstream>

namespace SMTPClientTest {

namespace {

// The string that starts with the quote at line[at]; at ends after it. The
// servers write non-ASCII as UTF-8 itself: \u escapes come only for control
// characters.
std::string String(const std::string& line, size_t& at)
{
    std::string text;
    for (++at; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '\\' || ++at >= line.size()) {
            text += line[at];
        } else if (line[at] == 'u') {
            text += static_cast<char>(std::strtoul(line.substr(at + 1, 4).c_str(), nullptr, 16));
            at += 4;
        } else {
            const size_t simple = std::string("\"\\/bfnrt").find(line[at]);
            text += simple == std::string::npos ? line[at] : "\"\\/\b\f\n\r\t"[simple];
        }
    }
    ++at;
    return text;
}

} // namespace

JsonObject ParseJsonObject(const std::string& text)
{
    JsonObject object;
    std::string key;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find_first_not_of(' ');
        if (at == std::string::npos || line[at] != '"')
            continue; // a brace or bracket
        const std::string name = String(line, at);
        if (line.compare(at, 2, ": ") != 0) {
            object[key].push_back(name); // an item of key's array
            continue;
        }
        key = name;
        std::vector<std::string>& values = object[key];
        at += 2;
        if (at < line.size() && line[at] == '"')
            values.push_back(String(line, at));
        else if (at < line.size() && line[at] != '[')
            values.push_back(line.substr(at, line.find(',', at) - at));
    }
    return object;
}

} // namespace SMTPClientTest
