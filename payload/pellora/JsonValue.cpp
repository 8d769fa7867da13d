#include "JsonValue.h"

#include <cstdio>

JsonValue JsonValue::MakeNull()
{
    return JsonValue();
}

JsonValue JsonValue::MakeBool(bool value)
{
    JsonValue v;
    v.m_kind = Bool;
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::MakeNumber(std::string text)
{
    JsonValue v;
    v.m_kind = Number;
    v.m_text = std::move(text);
    return v;
}

JsonValue JsonValue::MakeString(std::string text)
{
    JsonValue v;
    v.m_kind = String;
    v.m_text = std::move(text);
    return v;
}

JsonValue JsonValue::MakeArray()
{
    JsonValue v;
    v.m_kind = Array;
    return v;
}

JsonValue JsonValue::MakeObject()
{
    JsonValue v;
    v.m_kind = Object;
    return v;
}

std::string JsonValue::AsText() const
{
    switch (m_kind) {
    case Bool:
        return m_bool ? "true" : "false";
    case Number:
    case String:
        return m_text;
    default:
        return std::string();
    }
}

void JsonValue::Append(JsonValue value)
{
    m_items.push_back(std::move(value));
}

void JsonValue::Set(const std::string& name, JsonValue value)
{
    for (auto& member : m_members) {
        if (member.first == name) {
            member.second = std::move(value);
            return;
        }
    }
    m_members.emplace_back(name, std::move(value));
}

const JsonValue* JsonValue::Find(const std::string& name) const
{
    if (m_kind != Object) {
        return nullptr;
    }
    for (const auto& member : m_members) {
        if (member.first == name) {
            return &member.second;
        }
    }
    return nullptr;
}

const JsonValue* JsonValue::FindPath(const std::string& path) const
{
    const JsonValue* at = this;
    std::string::size_type start = 0;
    while (at != nullptr && start <= path.size()) {
        std::string::size_type slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        at = at->Find(path.substr(start, slash - start));
        start = slash + 1;
    }
    return at;
}

std::string JsonValue::Quote(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof(buf), "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonValue::Serialize() const
{
    switch (m_kind) {
    case Null:
        return "null";
    case Bool:
        return m_bool ? "true" : "false";
    case Number:
        return m_text;
    case String:
        return Quote(m_text);
    case Array: {
        std::string out = "[";
        for (size_t i = 0; i < m_items.size(); ++i) {
            out += (i ? "," : "") + m_items[i].Serialize();
        }
        return out + "]";
    }
    case Object: {
        std::string out = "{";
        for (size_t i = 0; i < m_members.size(); ++i) {
            out += (i ? "," : "") + Quote(m_members[i].first) + ":" + m_members[i].second.Serialize();
        }
        return out + "}";
    }
    }
    return "null";
}
