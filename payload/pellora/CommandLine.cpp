#include "CommandLine.h"

namespace {

const std::vector<std::string> kReports = {"getbios", "getcpu", "getmemory", "getsyseth",
                                           "getpdisk", "getraid", "getpsu"};

const std::vector<std::string> kOtherCommands = {"getattr", "setbios", "getbiosdetails", "check", "help"};

bool Known(const std::string& command)
{
    for (const auto& c : kReports) {
        if (c == command) {
            return true;
        }
    }
    for (const auto& c : kOtherCommands) {
        if (c == command) {
            return true;
        }
    }
    return false;
}

}  // namespace

const std::vector<std::string>& CommandLine::Reports()
{
    return kReports;
}

bool CommandLine::IsReport(const std::string& command)
{
    for (const auto& c : kReports) {
        if (c == command) {
            return true;
        }
    }
    return false;
}

std::string CommandLine::Usage()
{
    return "Usage: pellora [-H <BMC address> -U <user> -P <password>] <sub-command> [options]\n"
           "  getattr                     every BIOS attribute, one 'name : value' line each\n"
           "  getbiosdetails -A <name>    type, allowed values, current and pending value of one attribute\n"
           "  setbios -f <settings.json>  apply the attributes of a JSON object {\"name\" : \"value\", ...}\n"
           "  getbios getcpu getmemory getsyseth getpdisk getraid getpsu\n"
           "                              hardware reports\n"
           "  check                       succeeds when the BIOS can be reached this way\n"
           "  -b                          batch run (accepted for compatibility; pellora never prompts)\n"
           "Without -H the machine pellora runs on is used, through /sys/class/firmware-attributes.\n";
}

bool CommandLine::Parse(const std::vector<std::string>& args, CommandLine& out, std::string& error)
{
    CommandLine cl;
    std::vector<std::string> words;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* target = nullptr;
        if (a == "-H") {
            target = &cl.host;
        } else if (a == "-U") {
            target = &cl.user;
        } else if (a == "-P") {
            target = &cl.password;
        } else if (a == "-A") {
            target = &cl.attribute;
        } else if (a == "-f") {
            target = &cl.file;
        } else if (a == "-h" || a == "--help") {
            cl.help = true;
            continue;
        } else if (a == "-b") {
            continue;
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option '" + a + "'; accepted: -H -U -P -A -f -b -h";
            return false;
        } else {
            words.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + a + " needs a value";
            return false;
        }
        *target = args[++i];
    }
    if (!words.empty()) {
        cl.command = words[0];
    }
    if (cl.command == "help") {
        cl.help = true;
    }
    if (cl.help) {
        out = cl;
        return true;
    }
    if (cl.command.empty()) {
        error = "no sub-command given; accepted: getattr, getbiosdetails, setbios, check, getbios, getcpu, "
                "getmemory, getsyseth, getpdisk, getraid, getpsu";
        return false;
    }
    if (!Known(cl.command)) {
        error = "unknown sub-command '" + cl.command + "'; accepted: getattr, getbiosdetails, setbios, check, "
                "getbios, getcpu, getmemory, getsyseth, getpdisk, getraid, getpsu";
        return false;
    }
    if (cl.command == "setbios" && cl.file.empty() && words.size() == 2) {
        cl.file = words[1];
    } else if (words.size() > 1) {
        error = "unexpected word '" + words[1] + "' after " + cl.command;
        return false;
    }
    if (cl.command == "setbios" && cl.file.empty()) {
        error = "setbios needs the settings file: setbios -f <settings.json>";
        return false;
    }
    if (cl.command == "getbiosdetails" && cl.attribute.empty()) {
        error = "getbiosdetails needs the attribute: getbiosdetails -A <name>";
        return false;
    }
    const bool any = !cl.host.empty() || !cl.user.empty() || !cl.password.empty();
    if (any && (cl.host.empty() || cl.user.empty() || cl.password.empty())) {
        error = "-H, -U and -P go together: give the BMC address, user and password";
        return false;
    }
    out = cl;
    return true;
}
