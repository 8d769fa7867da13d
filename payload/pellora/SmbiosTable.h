#ifndef PELLORA_SMBIOSTABLE_H
#define PELLORA_SMBIOSTABLE_H

// The firmware's SMBIOS structures as the kernel exports them in
// /sys/firmware/dmi/tables/DMI: each structure is a header (type, length,
// handle), its formatted bytes and a set of strings ended by two zeros.

#include <cstdint>
#include <string>
#include <vector>

class SmbiosTable {
public:
    struct Structure {
        int type = 0;
        std::vector<uint8_t> data;          // the formatted area, header included
        std::vector<std::string> strings;   // string number n is strings[n - 1]
        // Byte, word and dword at an offset of the formatted area; -1 when
        // the structure is too short to hold it.
        long Byte(size_t offset) const;
        long Word(size_t offset) const;
        long Dword(size_t offset) const;
        // The string whose number is stored at `offset` ("" when none).
        std::string String(size_t offset) const;
    };

    // Parses a raw table; a truncated last structure is dropped.
    static std::vector<Structure> Parse(const std::string& raw);
};

#endif
