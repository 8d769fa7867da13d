#include "SmbiosTable.h"

namespace {
const int kEndOfTable = 127;
}

long SmbiosTable::Structure::Byte(size_t offset) const
{
    return offset < data.size() ? data[offset] : -1;
}

long SmbiosTable::Structure::Word(size_t offset) const
{
    return offset + 1 < data.size() ? (data[offset] | (data[offset + 1] << 8)) : -1;
}

long SmbiosTable::Structure::Dword(size_t offset) const
{
    if (offset + 3 >= data.size()) {
        return -1;
    }
    return static_cast<long>(static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
                              (static_cast<uint32_t>(data[offset + 2]) << 16) |
                              (static_cast<uint32_t>(data[offset + 3]) << 24));
}

std::string SmbiosTable::Structure::String(size_t offset) const
{
    long number = Byte(offset);
    if (number <= 0 || static_cast<size_t>(number) > strings.size()) {
        return std::string();
    }
    return strings[static_cast<size_t>(number) - 1];
}

std::vector<SmbiosTable::Structure> SmbiosTable::Parse(const std::string& raw)
{
    std::vector<Structure> out;
    size_t pos = 0;
    while (pos + 4 <= raw.size()) {
        const size_t length = static_cast<uint8_t>(raw[pos + 1]);
        if (length < 4 || pos + length > raw.size()) {
            break;
        }
        Structure s;
        s.type = static_cast<uint8_t>(raw[pos]);
        s.data.assign(raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + length));
        // The string set: zero-ended strings up to an empty one; a structure
        // without strings still ends in two zeros.
        size_t at = pos + length;
        bool complete = false;
        std::string current;
        while (at < raw.size()) {
            char c = raw[at++];
            if (c != '\0') {
                current += c;
                continue;
            }
            if (current.empty()) {
                if (s.strings.empty() && at < raw.size() && raw[at] == '\0' && at == pos + length + 1) {
                    ++at;
                }
                complete = true;
                break;
            }
            s.strings.push_back(current);
            current.clear();
        }
        if (!complete) {
            break;
        }
        out.push_back(s);
        if (s.type == kEndOfTable) {
            break;
        }
        pos = at;
    }
    return out;
}
