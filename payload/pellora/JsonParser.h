#ifndef PELLORA_JSONPARSER_H
#define PELLORA_JSONPARSER_H

// A strict reader of JSON text (RFC 8259): what a BMC answers and what
// Brevane hands over as a settings file. Nothing is guessed: text that is
// not exactly one JSON value is refused with the place where it went wrong.

#include <string>

#include "JsonValue.h"

class JsonParser {
public:
    // Parses `text` into `out`. On failure returns false and sets `error`
    // to a one-line reason with the byte offset.
    static bool Parse(const std::string& text, JsonValue& out, std::string& error);

private:
    explicit JsonParser(const std::string& text) : m_text(text) {}

    bool ParseValue(JsonValue& out, int depth);
    bool ParseString(std::string& out);
    bool ParseNumber(JsonValue& out);
    bool ParseLiteral(const char* word, JsonValue value, JsonValue& out);
    bool ParseHex4(unsigned& out);
    void SkipSpace();
    bool Fail(const std::string& what);

    const std::string& m_text;
    size_t m_pos = 0;
    std::string m_error;
};

#endif
