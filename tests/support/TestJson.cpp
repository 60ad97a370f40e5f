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

    // \uXXXX, with a following low surrogate when XXXX is a high one.
    bool ParseCodePoint(unsigned& codePoint)
    {
        if (!ParseHex4(codePoint))
            return false;
        if (codePoint < 0xD800 || codePoint > 0xDBFF)
            return true;
        unsigned low = 0;
        if (!TakeWord("\\u") || !ParseHex4(low) || low < 0xDC00 || low > 0xDFFF)
            return false;
        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned codePoint)
    {
        if (codePoint < 0x80) {
            out += static_cast<char>(codePoint);
        } else if (codePoint < 0x800) {
            out += static_cast<char>(0xC0 | (codePoint >> 6));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            out += static_cast<char>(0xE0 | (codePoint >> 12));
            out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (codePoint >> 18));
            out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }

    bool ParseEscape(std::string& out)
    {
        if (at >= text.size())
            return false;
        const char escaped = text[at++];
        const std::string simple = "\"\\/bfnrt";
        const std::string meaning = "\"\\/\b\f\n\r\t";
        const size_t index = simple.find(escaped);
        if (index != std::string::npos) {
            out += meaning[index];
            return true;
        }
        unsigned codePoint = 0;
        if (escaped != 'u' || !ParseCodePoint(codePoint))
            return false;
        AppendUtf8(out, codePoint);
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
