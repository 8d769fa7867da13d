#include "WelbrinOptions.h"

#include <getopt.h>

#include "InputCheck.h"

namespace {

const struct option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"times", optional_argument, nullptr, 't'},
    {"outkeyword", optional_argument, nullptr, 'k'},
    {"pid", optional_argument, nullptr, 'p'},
    {"cpu", optional_argument, nullptr, 'c'},
    {"log", optional_argument, nullptr, 'l'},
    {"version", optional_argument, nullptr, 'v'},
    {nullptr, 0, nullptr, 0},
};

WelbrinOptions Refused(WelbrinOptions options, const std::string& line)
{
    options.action = WelbrinOptions::Action::Refuse;
    options.refusal = line;
    return options;
}

}  // namespace

WelbrinOptions ParseWelbrinOptions(int argc, char** argv, WelbrinOptions defaults, int coreCount)
{
    WelbrinOptions options = defaults;
    options.action = WelbrinOptions::Action::Run;
    if (argc <= 1) {
        return options;
    }
    // 0 makes the GNU parser start over completely, so a second parse in the
    // same process (the tests) reads its own vector from the start.
    optind = 0;
    bool first = true;
    while (true) {
        const int opt = getopt_long(argc, argv, "h:t:k:p:c:l:v", kLongOptions, nullptr);
        if (opt == -1) {
            if (first) {
                options.action = WelbrinOptions::Action::Help;
            }
            break;
        }
        first = false;
        if (opt == 'v') {
            options.action = WelbrinOptions::Action::Version;
            return options;
        }
        if (opt != 't' && opt != 'k' && opt != 'p' && opt != 'c' && opt != 'l') {
            options.action = WelbrinOptions::Action::Help;
            return options;
        }
        if (optarg == nullptr) {
            // A long option written "--times 10" carries no argument; its
            // default stays.
            continue;
        }
        const std::string value = optarg;
        switch (opt) {
            case 't':
                if (!InputCheck::LeadingInt(value, options.seconds) || options.seconds <= 0) {
                    return Refused(options, "invalid collection time \"" + value +
                                                "\" for -t: give a whole number of seconds, 1 or more");
                }
                break;
            case 'p':
                if (!InputCheck::LeadingInt(value, options.pid)) {
                    return Refused(options, "invalid process id \"" + value + "\" for -p: give a decimal process id");
                }
                break;
            case 'c': {
                std::string reason;
                if (!InputCheck::IsCpuList(value, coreCount, reason)) {
                    return Refused(options, "invalid CPU list \"" + value + "\" for -c (" + reason +
                                                "): give CPU numbers and ranges such as 0-3,8,10-11");
                }
                options.cpuList = value;
                break;
            }
            case 'k':
                if (!InputCheck::IsKeyword(value)) {
                    return Refused(options, "invalid keyword \"" + value +
                                                "\" for -k: use only letters, digits, '.', '_' and '-'");
                }
                options.keyword = value;
                break;
            default:
                options.logLevelGiven = true;
                options.logLevel = value;
                break;
        }
    }
    return options;
}

std::string WelbrinHelpText(const std::string& prog)
{
    std::string text;
    text += "\n";
    text += "  Usage: " + prog + " [OPTIONS...] \n";
    text += "          -t <collect seconds>      (optional)      default: 5\n";
    text += "          -k <output_dir keywords>  (optional)  \n";
    text += "          -p <process pid>          (optional)  \n";
    text += "          -c <cpu list>             (optional)  \n";
    text += "          -l <log level>            (optional)      default: error\n";
    text += "          -v (show version)         (optional)  \n\n";
    text += "  Example1 (set parameters) : " + prog + "  -t  5  -k  test  -p  1356\n";
    text += "  Example2 (set parameters) : " + prog + "  -t  5  -k  test  -c  0-3\n";
    text += "  Example3 (default)        : " + prog + "\n\n";
    return text;
}

std::string WelbrinVersionText()
{
    return std::string("Version: ") + "5.2" + "  Build Time: " + "20241213022434" + "\n";
}
