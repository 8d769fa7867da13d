#ifndef PELLORA_LOCALBACKEND_H
#define PELLORA_LOCALBACKEND_H

// The BIOS of the machine pellora runs on, through the kernel's
// firmware-attributes class, and its hardware reports.

#include "Backend.h"
#include "FirmwareAttributes.h"

class LocalBackend : public Backend {
public:
    bool Check(std::string& description, std::string& why) override;
    bool List(std::vector<Setting>& out, std::string& error) override;
    bool Details(const std::string& name, Attribute& out, std::string& error) override;
    ApplyResult Apply(const std::vector<Setting>& settings) override;
    bool Report(const std::string& which, std::string& text, std::string& error) override;

    // What the user reads when the machine has no in-band BIOS interface.
    static std::string MissingInterfaceText();

private:
    FirmwareAttributes m_attrs;
};

#endif
