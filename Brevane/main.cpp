// Brevane: reads hardware and BIOS information and applies BIOS settings on
// a Quendar server, locally or through its Corvel BMC, by running the
// Pellora tool that it carries inside itself.

#include <getopt.h>
#include <limits.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Brevane.h"
#include "BrevaneGlobals.h"
#include "ExtractTools.h"
#include "Logger.h"
#include "ScenarioDir.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

LinuxOperate g_lop("");
FileOperate g_fop;
String g_str;
std::vector<std::string> g_typeVec;
std::string g_type;
std::string g_attr;
std::string g_value;
bool g_BIOSCfgFileFlag = false;
std::string g_BIOSCfgFilePath;
bool g_usePelloraTDirect = false;
std::string g_collectPath;
std::string g_bmcIP;
std::string g_bmcUser;
std::string g_bmcPasswd;
bool g_bmcInfoFlag = false;
std::string g_bmcHelpStr;

std::vector<std::string> getTypeList()
{
    // Only *.cfg files are scenarios: -t <name> reads <name>.cfg, so any other
    // file (a README, an editor's backup) must not be offered as one.
    std::vector<std::string> types;
    for (const auto& path : g_lop.GetDirFullFiles(ScenarioDir(), {}, false, 0)) {
        const std::string name = ScenarioNameOf(path);
        if (!name.empty()) {
            types.push_back(name);
        }
    }
    return types;
}

void HelpInfo(char** argv)
{
    const std::string prog = argv[0];
    const std::string dir = ScenarioDir();
    std::printf("\n");
    std::printf("  Usage: %s [OPTIONS...] \n", prog.c_str());
    std::printf("          -t <type>                (optional)      default: speccpu\n");
    std::printf("               1) set bios by using scenario, see %s/xx.cfg\n", dir.c_str());
    std::printf("               2) support list: %s\n", g_str.transferVectoStr(g_typeVec).c_str());
    std::printf("          -A <BIOS ATTRIBUTE NAME>       (optional)  \n");
    std::printf("          -V <BIOS ATTRIBUTE VALUE>      (optional)  \n");
    std::printf("          -F <BIOS cfg file>             (optional)  \n");
    std::printf("               The file contains the attributes to be configured\n");
    std::printf("               The template cfg file: %s/common.cfg\n", dir.c_str());
    std::printf("          -D  means use pellora directly   (optional)  \n");
    if (g_bmcInfoFlag) {
        std::printf("          -H  <BMC IPV4 addresss>        (optional)  \n");
        std::printf("          -U  <BMC User>                 (optional)  \n");
        std::printf("          -P  <BMC Password>             (optional)  \n");
    }
    std::printf("          -c <save hardware info dir path>         (optional)  \n");
    std::printf("          -h <bios help info>            (optional)  \n");
    std::printf("          -v <show tool version>         (optional)  \n\n");
    const char* bmc = g_bmcHelpStr.c_str();
    std::printf("  Example1 (set parameters) : %s%s -t database\n", prog.c_str(), bmc);
    std::printf("  Example2 (set parameters) : %s%s -A CustomPowerPolicy -V Performance\n", prog.c_str(), bmc);
    std::printf("  Example3 (get bios info ) : %s%s -D getbios\n", prog.c_str(), bmc);
    std::printf("  Example4 (get bios one param details) : %s%s -D getbiosdetails -A CustomPowerPolicy\n\n",
                prog.c_str(), bmc);
    if (!g_bmcInfoFlag) {
        std::printf("\n  Tips: support -H  <BMC IPV4 addresss> -U  <BMC User> -P  <BMC Password> by using BMC ipv4 is \n\n");
    }
    std::fflush(stdout);
}

int InitParams(int argc, char** argv)
{
    if (argc == 1) {
        g_type = OBFUSCATED("speccpu");
    } else {
        static const struct option longOptions[] = {
            {"type", optional_argument, nullptr, 't'},
            {"attr", optional_argument, nullptr, 'A'},
            {"value", optional_argument, nullptr, 'V'},
            {"file", optional_argument, nullptr, 'F'},
            {"directly", no_argument, nullptr, 'D'},
            {"host", no_argument, nullptr, 'H'},
            {"user", no_argument, nullptr, 'U'},
            {"passwd", no_argument, nullptr, 'P'},
            {"collect", required_argument, nullptr, 'c'},
            {"help", no_argument, nullptr, 'h'},
            {"version", no_argument, nullptr, 'v'},
            {nullptr, 0, nullptr, 0},
        };
        bool anyOption = false;
        int opt;
        optind = 1;
        // A long form without an attached argument stores nothing.
        auto arg = []() { return std::string(optarg != nullptr ? optarg : ""); };
        while ((opt = getopt_long(argc, argv, "t:A:V:F:H:U:P:D:c:hv", longOptions, nullptr)) != -1) {
            anyOption = true;
            switch (opt) {
            case 't': if (optarg != nullptr) g_type = arg(); break;
            case 'A': if (optarg != nullptr) g_attr = arg(); break;
            case 'V': if (optarg != nullptr) g_value = arg(); break;
            case 'F':
                g_BIOSCfgFileFlag = true;
                if (optarg != nullptr) g_BIOSCfgFilePath = arg();
                break;
            case 'D': g_usePelloraTDirect = true; break;
            case 'H': if (optarg != nullptr) g_bmcIP = arg(); break;
            case 'U': if (optarg != nullptr) g_bmcUser = arg(); break;
            case 'P': if (optarg != nullptr) g_bmcPasswd = arg(); break;
            case 'c': g_collectPath = arg(); break;
            case 'h':
                DeleteExtractTools();
                HelpInfo(argv);
                ExitRun(0);
            case 'v':
                DeleteExtractTools();
                std::printf("Version: %s  Build Time: %s\n", "rpm", "20241214181333");
                ExitRun(0);
            default:
                HelpInfo(argv);
                return 0;
            }
        }
        if (!anyOption) {
            HelpInfo(argv);
            return 0;
        }
    }
    // A directory or a device is no settings file either.
    if (g_BIOSCfgFileFlag && !g_fop.isFile(g_BIOSCfgFilePath)) {
        log.LogShow(ERROR, "%s",
                    (OBFUSCATED("no cfg file at ") + g_BIOSCfgFilePath +
                     OBFUSCATED(" (-F wants a file of Name : Value lines), exit"))
                        .c_str());
        ExitRun(1);
    }
    if (!g_bmcIP.empty() && !g_bmcUser.empty() && !g_bmcPasswd.empty()) {
        g_bmcInfoFlag = true;
        return 1;
    }
    return 0;
}

namespace {

// The directory for the report files, created when missing, as an absolute
// path with links resolved. Done without a shell: the path is the user's text.
std::string PrepareCollectDir(std::string path)
{
    std::error_code error;
    std::filesystem::path dir = std::filesystem::absolute(path, error);
    if (!error) {
        std::filesystem::create_directories(dir, error);
    }
    if (!error && !std::filesystem::is_directory(dir, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error) {
        dir = std::filesystem::canonical(dir, error);
    }
    if (error) {
        log.LogShow(ERROR, "cannot use %s as the report directory: %s (-c wants a directory path)", path.c_str(),
                    error.message().c_str());
        ExitRun(1);
    }
    return dir.string();
}

std::string CommandLineText(char** words)
{
    std::string text;
    for (char** word = words; word != nullptr && *word != nullptr; ++word) {
        text += " ";
        text += *word;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv, char** envp)
{
    if (!g_lop.CheckIfQuendarProcessor()) {
        log.LogShow(ERROR, "%s", OBFUSCATED("this processor is not supported by Brevane").c_str());
        return 1;
    }
    g_lop.m_envp = CommandLineText(envp);
    const std::vector<std::string> commandLine(argv, argv + argc);
    g_typeVec = getTypeList();

    // The fixed system file decides whether the options are read before the
    // tool is unpacked or after.
    if (g_str.CheckSub(g_fop.ReadFile(g_lop.MachinePath(OBFUSCATED("/proc/sys/kernel/nmi_watchdog"))), "0")) {
        InitParams(argc, argv);
        InitExtractTools();
    } else {
        InitExtractTools();
        InitParams(argc, argv);
    }

    std::vector<std::string> toolOption = {OBFUSCATED("pellora")};
    if (g_bmcInfoFlag) {
        toolOption.insert(toolOption.end(), {"-H", g_bmcIP, "-U", g_bmcUser, "-P", g_bmcPasswd});
        log.LogShow(INFO, "Setting server BIOS with Corvel ip : %s", g_bmcIP.c_str());
    } else {
        log.LogShow(INFO, "Setting server BIOS with local machine");
    }

    Brevane* brevane = new Brevane(ToolLauncherPath(), toolOption);
    if (!g_collectPath.empty()) {
        g_collectPath = PrepareCollectDir(g_collectPath);
        brevane->GetHardWareInfo(g_collectPath);
    } else if (!g_value.empty()) {
        brevane->SetOneParam(g_attr, g_value);
    } else if (g_usePelloraTDirect) {
        brevane->Pellora(commandLine);
    } else if (!g_type.empty()) {
        if (!g_str.CheckSub(g_typeVec, g_type)) {
            const std::string create = ScenarioDir() + "/%s.cfg";
            log.LogShow(ERROR, ("%s is not support, you can create " + create).c_str(), g_type.c_str(),
                        g_type.c_str());
            delete brevane;
            ExitRun(1);
        }
        brevane->SetTypeParam(ScenarioFile(g_type));
    } else if (!g_BIOSCfgFilePath.empty()) {
        brevane->SetTypeParam(g_BIOSCfgFilePath);
    }

    if (brevane->m_hasParamToSet) {
        brevane->PelloraSetJsonFile(SettingsFilePath());
    }
    DeleteExtractTools();
    delete brevane;
    return 0;
}
