#include "PelloraRun.h"

#include "SettingsFile.h"

namespace {

int Fail(std::string& out, const std::string& why)
{
    out += "Failure: " + why + "\n";
    return 1;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string text;
    for (const auto& i : items) {
        text += (text.empty() ? "" : ", ") + i;
    }
    return text;
}

int Details(const CommandLine& cl, Backend& backend, std::string& out)
{
    Attribute a;
    std::string error;
    if (!backend.Details(cl.attribute, a, error)) {
        return Fail(out, error);
    }
    out += "Attribute Name : " + PelloraRun::OneLine(a.name) + "\n";
    out += "Type : " + a.type + "\n";
    if (!a.allowed.empty()) {
        out += "Allowed Values : " + PelloraRun::OneLine(Join(a.allowed)) + "\n";
    } else if (a.type == "Integer" && (!a.lower.empty() || !a.upper.empty())) {
        out += "Allowed Values : " + a.lower + " - " + a.upper + (a.step.empty() ? "" : ", step " + a.step) + "\n";
    } else if (a.type == "String" && (!a.lower.empty() || !a.upper.empty())) {
        out += "Allowed Values : text of " + a.lower + " to " + a.upper + " characters\n";
    } else {
        out += "Allowed Values : not published\n";
    }
    out += "Current Value : " + PelloraRun::OneLine(a.current) + "\n";
    out += "Pending Value : " + (a.pending.empty() ? std::string("(none)") : PelloraRun::OneLine(a.pending)) + "\n";
    return 0;
}

int Apply(const CommandLine& cl, Backend& backend, std::string& out)
{
    std::vector<Setting> settings;
    std::string error;
    if (!SettingsFile::Load(cl.file, settings, error)) {
        return Fail(out, error);
    }
    if (settings.empty()) {
        out += "Nothing to apply: the settings file names no attribute\n";
        return 0;
    }
    ApplyResult result = backend.Apply(settings);
    if (result.Ok()) {
        out += "Applied " + std::to_string(result.applied) + " BIOS setting" + (result.applied == 1 ? "" : "s") +
               "; they take effect at the next reboot\n";
        return 0;
    }
    for (const auto& f : result.failed) {
        out += PelloraRun::OneLine(f.first) + " : Failed (" + PelloraRun::OneLine(f.second) + ")\n";
    }
    return Fail(out, result.error.empty() ? "no BIOS setting was changed" : result.error);
}

}  // namespace

std::string PelloraRun::OneLine(const std::string& text)
{
    std::string line = text;
    for (auto& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

int PelloraRun::Execute(const CommandLine& cl, Backend& backend, std::string& out)
{
    std::string error;
    if (cl.command == "getattr") {
        std::vector<Setting> attrs;
        if (!backend.List(attrs, error)) {
            return Fail(out, error);
        }
        for (const auto& a : attrs) {
            out += OneLine(a.first) + " : " + OneLine(a.second) + "\n";
        }
        return 0;
    }
    if (cl.command == "getbiosdetails") {
        return Details(cl, backend, out);
    }
    if (cl.command == "setbios") {
        return Apply(cl, backend, out);
    }
    if (cl.command == "check") {
        std::string description;
        if (!backend.Check(description, error)) {
            return Fail(out, error);
        }
        out += "BIOS interface : " + description + "\n";
        return 0;
    }
    if (CommandLine::IsReport(cl.command)) {
        std::string text;
        if (!backend.Report(cl.command, text, error)) {
            return Fail(out, error);
        }
        out += text;
        return 0;
    }
    out += "Failure: unknown sub-command '" + cl.command + "'\n";
    return 2;
}
