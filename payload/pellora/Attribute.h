#ifndef PELLORA_ATTRIBUTE_H
#define PELLORA_ATTRIBUTE_H

// What pellora knows about one BIOS attribute, whichever backend found it.

#include <string>
#include <vector>

struct Attribute {
    std::string name;
    std::string type;                  // "Enumeration", "Integer", "String", ...
    std::vector<std::string> allowed;  // enumeration values, when known
    // Bounds when known, as decimal text: of the value for an Integer, of
    // its length for a String.
    std::string lower;
    std::string upper;
    std::string step;
    std::string current;
    std::string pending;               // empty when nothing is pending
};

#endif
