#ifndef PELLORA_BACKEND_H
#define PELLORA_BACKEND_H

// The way to one machine's BIOS: in-band through the kernel, or out of band
// through the BMC. Every operation reports failure through its result and a
// one-line reason; nothing is printed here.

#include <string>
#include <utility>
#include <vector>

#include "Attribute.h"

using Setting = std::pair<std::string, std::string>;

// The outcome of applying a set of settings: per setting an empty reason
// for success or the reason it failed, plus a reason that concerns the
// whole call (the BIOS unreachable, say).
struct ApplyResult {
    std::vector<std::pair<std::string, std::string>> failed;  // name, reason
    std::string error;
    size_t applied = 0;
    bool Ok() const { return failed.empty() && error.empty(); }
};

class Backend {
public:
    virtual ~Backend() = default;

    // True when the BIOS can be reached; otherwise `why` says what is missing.
    virtual bool Check(std::string& description, std::string& why) = 0;
    virtual bool List(std::vector<Setting>& out, std::string& error) = 0;
    virtual bool Details(const std::string& name, Attribute& out, std::string& error) = 0;
    // All or nothing as far as the backend can tell: settings are checked
    // first and nothing is written when one of them is refused.
    virtual ApplyResult Apply(const std::vector<Setting>& settings) = 0;
    // One hardware report as text; `which` is a report sub-command.
    virtual bool Report(const std::string& which, std::string& text, std::string& error) = 0;
};

#endif
