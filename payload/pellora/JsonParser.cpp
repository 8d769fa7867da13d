#include "JsonParser.h"

#include <cstring>

namespace {

// Deeper documents than this are refused rather than risking the stack on
// hostile input; Redfish resources nest a handful of levels.
const int kMaxDepth = 64;

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool JsonParser::Parse(const std::string& text, JsonValue& out, std::string& error)
{
    JsonParser parser(text);
    JsonValue value;
    parser.SkipSpace();
    if (!parser.ParseValue(value, 0)) {
        error = parser.m_error;
        return false;
    }
    parser.SkipSpace();
    if (parser.m_pos != text.size()) {
        parser.Fail("unexpected text after the JSON value");
        error = parser.m_error;
        return false;
    }
    out = std::move(value);
    return true;
}

bool JsonParser::Fail(const std::string& what)
{
    if (m_error.empty()) {
        m_error = what + " at byte " + std::to_string(m_pos);
    }
    return false;
}

void JsonParser::SkipSpace()
{
    while (m_pos < m_text.size()) {
        char c = m_text[m_pos];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            break;
        }
        ++m_pos;
    }
}

bool JsonParser::ParseValue(JsonValue& out, int depth)
{
    if (depth > kMaxDepth) {
        return Fail("JSON nested too deeply");
    }
    if (m_pos >= m_text.size()) {
        return Fail("unexpected end of JSON text");
    }
    char c = m_text[m_pos];
    if (c == '{') {
        ++m_pos;
        out = JsonValue::MakeObject();
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        while (true) {
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
                return Fail("expected a member name in double quotes");
            }
            std::string name;
            if (!ParseString(name)) {
                return false;
            }
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != ':') {
                return Fail("expected ':' after a member name");
            }
            ++m_pos;
            SkipSpace();
            JsonValue member;
            if (!ParseValue(member, depth + 1)) {
                return false;
            }
            out.Set(name, std::move(member));
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == '}') {
                ++m_pos;
                return true;
            }
            return Fail("expected ',' or '}' in an object");
        }
    }
    if (c == '[') {
        ++m_pos;
        out = JsonValue::MakeArray();
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        while (true) {
            SkipSpace();
            JsonValue item;
            if (!ParseValue(item, depth + 1)) {
                return false;
            }
            out.Append(std::move(item));
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            return Fail("expected ',' or ']' in an array");
        }
    }
    if (c == '"') {
        std::string text;
        if (!ParseString(text)) {
            return false;
        }
        out = JsonValue::MakeString(std::move(text));
        return true;
    }
    if (c == 't') {
        return ParseLiteral("true", JsonValue::MakeBool(true), out);
    }
    if (c == 'f') {
        return ParseLiteral("false", JsonValue::MakeBool(false), out);
    }
    if (c == 'n') {
        return ParseLiteral("null", JsonValue::MakeNull(), out);
    }
    if (c == '-' || IsDigit(c)) {
        return ParseNumber(out);
    }
    return Fail("unexpected character");
}

bool JsonParser::ParseLiteral(const char* word, JsonValue value, JsonValue& out)
{
    size_t len = std::strlen(word);
    if (m_text.compare(m_pos, len, word) != 0) {
        return Fail("unknown literal");
    }
    m_pos += len;
    out = std::move(value);
    return true;
}

bool JsonParser::ParseNumber(JsonValue& out)
{
    size_t start = m_pos;
    if (m_text[m_pos] == '-') {
        ++m_pos;
    }
    if (m_pos >= m_text.size() || !IsDigit(m_text[m_pos])) {
        return Fail("malformed number");
    }
    if (m_text[m_pos] == '0') {
        ++m_pos;
    } else {
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
            ++m_pos;
        }
    }
    if (m_pos < m_text.size() && m_text[m_pos] == '.') {
        ++m_pos;
        if (m_pos >= m_text.size() || !IsDigit(m_text[m_pos])) {
            return Fail("malformed number");
        }
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
            ++m_pos;
        }
    }
    if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
        ++m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) {
            ++m_pos;
        }
        if (m_pos >= m_text.size() || !IsDigit(m_text[m_pos])) {
            return Fail("malformed number");
        }
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
            ++m_pos;
        }
    }
    out = JsonValue::MakeNumber(m_text.substr(start, m_pos - start));
    return true;
}

bool JsonParser::ParseHex4(unsigned& out)
{
    if (m_pos + 4 > m_text.size()) {
        return Fail("short \\u escape");
    }
    out = 0;
    for (int i = 0; i < 4; ++i) {
        char c = m_text[m_pos++];
        out <<= 4;
        if (c >= '0' && c <= '9') {
            out |= static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            out |= static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            out |= static_cast<unsigned>(c - 'A' + 10);
        } else {
            return Fail("bad hex digit in \\u escape");
        }
    }
    return true;
}

bool JsonParser::ParseString(std::string& out)
{
    ++m_pos;  // the opening quote
    while (m_pos < m_text.size()) {
        unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
        if (c == '"') {
            ++m_pos;
            return true;
        }
        if (c < 0x20) {
            return Fail("control character inside a string");
        }
        if (c != '\\') {
            out += static_cast<char>(c);
            ++m_pos;
            continue;
        }
        ++m_pos;
        if (m_pos >= m_text.size()) {
            break;
        }
        char e = m_text[m_pos++];
        switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
            unsigned cp = 0;
            if (!ParseHex4(cp)) {
                return false;
            }
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                unsigned low = 0;
                if (m_text.compare(m_pos, 2, "\\u") != 0) {
                    return Fail("lone high surrogate in \\u escape");
                }
                m_pos += 2;
                if (!ParseHex4(low)) {
                    return false;
                }
                if (low < 0xDC00 || low > 0xDFFF) {
                    return Fail("bad low surrogate in \\u escape");
                }
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                return Fail("lone low surrogate in \\u escape");
            }
            AppendUtf8(out, cp);
            break;
        }
        default:
            --m_pos;
            return Fail("unknown escape in a string");
        }
    }
    return Fail("unterminated string");
}
