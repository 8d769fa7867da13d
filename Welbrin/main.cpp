// Welbrin: collects a server's load, perf statistics and flame graphs for a
// number of seconds with the tools it carries, into one output directory.

#include <cstdio>
#include <string>

#include "FileOperate.h"
#include "LinuxOperate.h"
#include "Logger.h"
#include "String.h"
#include "WelbrinAnalysis.h"
#include "WelbrinInstaller.h"
#include "WelbrinOptions.h"
#include "WelbrinPayload.h"
#include "common.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;
static LinuxOperate linuxOperate("");

std::string GetDeliverableLogFile()
{
    return OBFUSCATED("/var/log/welbrin5.log");
}

namespace {

void ShowInfo(const std::string& text)
{
    log.LogShow(INFO, "%s", text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    g_loglevel = "";
    const int coreCount = linuxOperate.GetCoreCount();
    WelbrinOptions defaults;
    defaults.cpuList = innerStr.GetCFormatStr("0-%d", coreCount - 1);

    const WelbrinOptions options = ParseWelbrinOptions(argc, argv, defaults, coreCount);
    const std::string prog = argc > 0 && argv[0] != nullptr ? argv[0] : "welbrin";
    switch (options.action) {
        case WelbrinOptions::Action::Help:
            std::fputs(WelbrinHelpText(prog).c_str(), stdout);
            return 0;
        case WelbrinOptions::Action::Version:
            std::fputs(WelbrinVersionText().c_str(), stdout);
            return 0;
        case WelbrinOptions::Action::Refuse:
            std::fprintf(stderr, "welbrin: %s\n", options.refusal.c_str());
            return 1;
        case WelbrinOptions::Action::Run:
            break;
    }
    if (options.logLevelGiven) {
        g_loglevel = options.logLevel;
    }

    ShowInfo(OBFUSCATED("Collect time: ") + std::to_string(options.seconds) + OBFUSCATED(" s"));
    ShowInfo(OBFUSCATED("Output keyword: ") + options.keyword);
    ShowInfo(OBFUSCATED("Process pid: ") + std::to_string(options.pid));
    ShowInfo(OBFUSCATED("Cpu list: ") + options.cpuList);

    InstallCarriedTools(CarriedPayload());

    WelbrinAnalysis* analysis = new WelbrinAnalysis(options.keyword);
    // Without its directory a run would only lose its results.
    FileOperate files;
    if (!files.isDir(analysis->OutputDir())) {
        if (!analysis->OutputDir().empty()) {
            log.LogShow(ERROR, "%s",
                        (OBFUSCATED("cannot create the output directory ") + analysis->OutputDir()).c_str());
        }
        delete analysis;
        return 1;
    }
    analysis->StartCollect(options.seconds, options.pid, options.cpuList);
    delete analysis;
    return 0;
}
