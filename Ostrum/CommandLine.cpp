#include "CommandLine.h"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "common.h"

namespace {

const char* kShortOptions = "hm:s:t:i:k:p:K:c:l:ve:";

const option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"mode", required_argument, nullptr, 'm'},
    {"state", required_argument, nullptr, 's'},
    {"exec", required_argument, nullptr, 'e'},
    {"times", required_argument, nullptr, 't'},
    {"interval", required_argument, nullptr, 'i'},
    {"outkeyword", required_argument, nullptr, 'k'},
    {"pid", required_argument, nullptr, 'p'},
    {"cpu", required_argument, nullptr, 'c'},
    {"loglevel", required_argument, nullptr, 'l'},
    {"version", no_argument, nullptr, 'v'},
    // Listed in the help but not implemented: takes the unrecognised path.
    {"dest", required_argument, nullptr, 'd'},
    {nullptr, 0, nullptr, 0},
};

// Integer option values: decimal, leading blanks and text after the number
// ignored, as the standard conversion reads them; no number at all or a
// value outside [low, high] is refused.
bool ParseIntOption(const char* text, long low, long high, int& value)
{
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || parsed < low || parsed > high) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool IsKeywordText(const std::string& text)
{
    for (char c : text) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

void HelpInfo(const std::string& argv0, LinuxOperate& lop, std::ostream& out)
{
    out << "\n";
    out << " Usage: " << argv0 << " [OPTIONS...] \n";
    out << "          -m, --mode <mode>                       (optional)      default: all\n";
    out << "             all          : get all info\n";
    out << "             bandwidth    : get L1/L2/L3/DDR bandwidth\n";
    out << "             cache-miss   : get cache miss ratio\n";
    out << "             access       : get cache and ddr access local and remote info\n";
    if (lop.GetQuendarProcessor() == "Q60") {
        out << "             prefetch     : get prefetch hit info\n";
    }
    out << "             topdown      : get topdown\n";
    out << "          -s, --state <mode>                        (optional)      default: all\n";
    out << "             all          : get pmu in user,kernel,hypervisor state\n";
    out << "             user         : only get pmu in user\n";
    out << "             kernel       : only get pmu in kernel\n";
    out << "             hypervisor   : only get pmu in hypervisor\n";
    out << "          -e, --exec <exec command>                 (optional)\n";
    out << "          -t, --times <collect times>               (optional)      default: 10\n";
    out << "          -i, --interval <print interval second>    (optional)      default: 5\n";
    out << "          -k, --outkeyword <output_dir keywords>    (optional)  \n";
    out << "          -p, --pid <process pid>                   (optional)      default: -1\n";
    out << "          -K, --thread keywords                     (optional) \n";
    out << "          -d, --dest <save dir path>                (optional)      default: "
           "./perf_results/`date +%Y-%m-%d-%H-%M-%S`\n";
    out << "          -c, --cpu <cpu list>                      (optional)      default: 0-" << lop.GetCoreCount() - 1
        << "\n";
    out << "          -l, --loglevel <debug/info/warn/error>    (optional)      default: \n";
    out << "          -h, --help (show help info)               (optional)  \n\n";
    out << "          -v, --version (show version)              (optional)  \n\n";
    out << " Example1 (default run)    : " << argv0 << "\n";
    out << " Example2 (set parameters) : " << argv0 << " -m bandwidth -t 1 -i 5 -p 12345 -K \"IO|RPC\" \n\n";
    out << " Example3 (set parameters) : " << argv0 << " -m topdown -t 1 -i 1 -e ./stream \n\n";
    out << " Tips1: if appears nan%, try run sub mode {bandwidth|cache-miss|access|topdown}, or increase -i params "
           "values.\n";
    out << " Tips2: if catch topdown by pid, maybe some sub values appears exception, ignore it.\n\n";
    out.flush();
}

void BuildMaps(CommandLineOptions& options)
{
    options.modes = {{"bandwidth", false}, {"cache-miss", false}, {"access", false}, {"topdown", false}};
    if (options.mode == "all") {
        for (const char* key : {"bandwidth", "cache-miss", "access", "prefetch", "topdown"}) {
            options.modes[key] = true;
        }
    } else if (options.mode == "bandwidth" || options.mode == "cache-miss" || options.mode == "access" ||
               options.mode == "prefetch" || options.mode == "topdown") {
        options.modes[options.mode] = true;
    }

    int user = 1;
    int kernel = 1;
    int hv = 1;
    if (options.state == "all") {
        user = kernel = hv = 0;
    } else if (options.state == "user") {
        user = 0;
    } else if (options.state == "kernel") {
        kernel = 0;
    } else if (options.state == "hypervisor") {
        hv = 0;
    }
    options.privileges = {{"exclude_user", user}, {"exclude_kernel", kernel}, {"exclude_hv", hv}};
    options.params = {{"threadKeywords", options.threadKeywords}};
}

int ParseCommandLine(int argc, char** argv, LinuxOperate& lop, CommandLineOptions& options, std::ostream& out,
                     std::ostream& err)
{
    const std::string argv0 = argc > 0 ? argv[0] : "ostrum";
    // getopt_long permutes argv; the command of -e is taken from the words
    // as the user gave them.
    const std::vector<std::string> words(argv, argv + argc);

    if (argc > 1) {
        optind = 0;  // 0: full restart of the GNU parser (tests parse many times)
        opterr = 1;
        bool first = true;
        for (;;) {
            const int opt = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr);
            if (opt == -1) {
                if (first) {
                    HelpInfo(argv0, lop, out);
                    return 0;
                }
                break;
            }
            first = false;
            const std::string value = optarg != nullptr ? optarg : "";
            switch (opt) {
            case 'h':
                HelpInfo(argv0, lop, out);
                return 0;
            case 'v':
                out << "Version: " << "5.1" << "  Build Time: " << "20241209103814" << "\n";
                out.flush();
                return 0;
            case 'm':
                options.mode = value;
                break;
            case 's':
                options.state = value;
                break;
            case 't':
                if (!ParseIntOption(optarg, 1, 1000000, options.times)) {
                    err << "invalid -t value '" << value << "': expected a number of periods from 1 to 1000000"
                        << std::endl;
                    return 1;
                }
                break;
            case 'i':
                if (!ParseIntOption(optarg, 1, 86400, options.interval)) {
                    err << "invalid -i value '" << value << "': expected a number of seconds from 1 to 86400"
                        << std::endl;
                    return 1;
                }
                break;
            case 'p':
                if (!ParseIntOption(optarg, -1, INT_MAX, options.pid) || options.pid == 0) {
                    err << "invalid -p value '" << value << "': expected a process or thread id (a positive number), "
                        << "or -1 for none" << std::endl;
                    return 1;
                }
                break;
            case 'k':
                if (!IsKeywordText(value)) {
                    err << "invalid -k value '" << value
                        << "': the keyword may hold only letters, digits, '.', '_' and '-'" << std::endl;
                    return 1;
                }
                options.outKeywords = value;
                break;
            case 'K':
                if (!lop.IsThreadKeywordsText(value)) {
                    err << "invalid -K value '" << value << "': expected a regular expression (ECMAScript syntax)"
                        << std::endl;
                    return 1;
                }
                options.threadKeywords = value;
                break;
            case 'c':
                if (!lop.IsCpuListText(value)) {
                    err << "invalid -c value '" << value
                        << "': expected -1 or CPU numbers and ranges separated by commas, such as 0-3,8" << std::endl;
                    return 1;
                }
                options.cpu = value;
                break;
            case 'l':
                g_loglevel = value;
                break;
            case 'e': {
                options.command.clear();
                size_t i = 1;
                while (i < words.size() && words[i] != "-e" && words[i] != "--exec") {
                    ++i;
                }
                for (++i; i < words.size(); ++i) {
                    options.command += words[i] + " ";
                }
                BuildMaps(options);
                return -1;
            }
            default:
                HelpInfo(argv0, lop, out);
                return 1;
            }
        }
    }
    BuildMaps(options);
    return -1;
}
