#include "TestJson.h"

#include <cstdlib>

namespace SMTPClientTest {

namespace {

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : text(text) {}

    bool ParseDocument(JsonValue& value)
    {
        return ParseValue(value) && (SkipSpace(), at == text.size());
    }

private:
    const std::string& text;
    size_t at = 0;

    void SkipSpace()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t'))
            ++at;
    }

    bool Take(char expected)
    {
        SkipSpace();
        if (at >= text.size() || text[at] != expected)
            return false;
        ++at;
        return true;
    }

    bool TakeWord(const std::string& word)
    {
        if (text.compare(at, word.size(), word) != 0)
            return false;
        at += word.size();
        return true;
    }

    bool ParseValue(JsonValue& value)
    {
        SkipSpace();
        if (at >= text.size())
            return false;
        switch (text[at]) {
        case '{': value.kind = JsonValue::Kind::Object; return ParseObject(value);
        case '[': value.kind = JsonValue::Kind::Array; return ParseArray(value);
        case '"': value.kind = JsonValue::Kind::String; return ParseString(value.text);
        case 't': value.kind = JsonValue::Kind::Boolean; value.boolean = true; return TakeWord("true");
        case 'f': value.kind = JsonValue::Kind::Boolean; return TakeWord("false");
        case 'n': return TakeWord("null");
        default: value.kind = JsonValue::Kind::Number; return ParseNumber(value.number);
        }
    }

    bool ParseObject(JsonValue& value)
    {
        Take('{');
        if (Take('}'))
            return true;
        do {
            std::pair<std::string, JsonValue> member;
            SkipSpace();
            if (!ParseString(member.first) || !Take(':') || !ParseValue(member.second))
                return false;
            value.members.push_back(std::move(member));
        } while (Take(','));
        return Take('}');
    }

    bool ParseArray(JsonValue& value)
    {
        Take('[');
        if (Take(']'))
            return true;
        do {
            value.items.emplace_back();
            if (!ParseValue(value.items.back()))
                return false;
        } while (Take(','));
        return Take(']');
    }

    bool ParseNumber(double& number)
    {
        const char* start = text.c_str() + at;
        char* end = nullptr;
        number = std::strtod(start, &end);
        at += static_cast<size_t>(end - start);
        return end != start;
    }

    bool ParseHex4(unsigned& unit)
    {
        if (at + 4 > text.size())
            return false;
        char* end = nullptr;
        std::string digits = text.substr(at, 4);
        unit = static_cast<unsigned>(std::strtoul(digits.c_str(), &end, 16));
        at += 4;
        return end == digits.c_str() + 4;
    }

    // The servers write text as UTF-8 itself; only control characters come
    // as \u escapes.
    bool ParseEscape(std::string& out)
    {
        if (at >= text.size())
            return false;
        const char escaped = text[at++];
        const size_t index = std::string("\"\\/bfnrt").find(escaped);
        if (index != std::string::npos) {
            out += "\"\\/\b\f\n\r\t"[index];
            return true;
        }
        unsigned unit = 0;
        if (escaped != 'u' || !ParseHex4(unit) || unit >= 0x80)
            return false;
        out += static_cast<char>(unit);
        return true;
    }

    bool ParseString(std::string& out)
    {
        if (!Take('"'))
            return false;
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"')
                return true;
            if (c != '\\')
                out += c;
            else if (!ParseEscape(out))
                return false;
        }
        return false;
    }
};

} // namespace

const JsonValue* JsonValue::Find(const std::string& key) const
{
    for (const auto& member : members) {
        if (member.first == key)
            return &member.second;
    }
    return nullptr;
}

bool ParseJson(const std::string& text, JsonValue& value)
{
    value = JsonValue();
    return JsonParser(text).ParseDocument(value);
}

} // namespace SMTPClientTest
