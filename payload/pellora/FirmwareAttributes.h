#ifndef PELLORA_FIRMWAREATTRIBUTES_H
#define PELLORA_FIRMWAREATTRIBUTES_H

// The kernel's firmware-attributes class (Documentation/ABI/testing/
// sysfs-class-firmware-attributes): one directory per BIOS interface under
// /sys/class/firmware-attributes, one directory per attribute below its
// "attributes" directory with type, current_value and the bounds of the
// type. Writing current_value stages the new value; the firmware applies it
// at the next boot and the interface's pending_reboot turns 1 meanwhile.

#include <string>
#include <vector>

#include "Attribute.h"

class FirmwareAttributes {
public:
    struct Entry {
        std::string device;
        std::string name;
    };

    // Every attribute, by interface and then by name; a name that two
    // interfaces publish belongs to the first.
    std::vector<Entry> Enumerate() const;
    // The interfaces that publish at least one attribute.
    std::vector<std::string> Interfaces() const;
    bool Find(const std::string& name, Entry& out) const;
    bool Read(const Entry& entry, Attribute& out) const;
    // Empty when `value` fits the attribute; otherwise why not. On success
    // `canonical` is the text to write (an enumeration value in the
    // spelling the firmware publishes).
    static std::string Validate(const Attribute& attr, const std::string& value, std::string& canonical);
    bool Write(const Entry& entry, const std::string& value, std::string& error) const;

    static std::string AttributeDir(const Entry& entry);

private:
    bool IsPendingReboot(const std::string& device) const;
};

#endif
