#ifndef PELLORA_JSONVALUE_H
#define PELLORA_JSONVALUE_H

// One JSON value as read from a BMC or a settings file. Objects keep their
// members in document order, because the order of BIOS attributes is the
// order users see them in.

#include <string>
#include <utility>
#include <vector>

class JsonValue {
public:
    enum Kind { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue MakeNull();
    static JsonValue MakeBool(bool value);
    // `text` is the number exactly as written, so large integers and
    // decimals survive a round trip untouched.
    static JsonValue MakeNumber(std::string text);
    static JsonValue MakeString(std::string text);
    static JsonValue MakeArray();
    static JsonValue MakeObject();

    Kind GetKind() const { return m_kind; }
    bool IsNull() const { return m_kind == Null; }
    bool IsObject() const { return m_kind == Object; }
    bool IsArray() const { return m_kind == Array; }
    bool IsString() const { return m_kind == String; }

    // The scalar as plain text: strings unquoted, numbers as written,
    // true/false, and empty for null, arrays and objects.
    std::string AsText() const;
    bool AsBool() const { return m_bool; }

    const std::vector<JsonValue>& Items() const { return m_items; }
    const std::vector<std::pair<std::string, JsonValue>>& Members() const { return m_members; }
    void Append(JsonValue value);
    void Set(const std::string& name, JsonValue value);

    // The member `name`, or nullptr when this is no object or lacks it.
    const JsonValue* Find(const std::string& name) const;
    // Follows a path of member names separated by '/' ("Status/Health").
    const JsonValue* FindPath(const std::string& path) const;

    // Compact JSON text of the value.
    std::string Serialize() const;
    // `text` as a JSON string literal, quotes included.
    static std::string Quote(const std::string& text);

private:
    Kind m_kind = Null;
    bool m_bool = false;
    std::string m_text;
    std::vector<JsonValue> m_items;
    std::vector<std::pair<std::string, JsonValue>> m_members;
};

#endif
