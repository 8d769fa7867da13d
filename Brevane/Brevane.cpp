#include "Brevane.h"

#include "Logger.h"
#include "SettingsJson.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

const char* const kReportSubCommands[] = {
    "getbios", "getcpu", "getmemory", "getsyseth", "getpdisk", "getraid", "getpsu",
};

std::string GroupName()
{
    return OBFUSCATED("PowerLevelOfSocket");
}

}  // namespace

Brevane::Brevane(std::string toolPath, std::vector<std::string> toolOption)
    : m_hasParamToSet(false),
      m_toolPath(toolPath),
      m_toolOption(toolOption),
      m_processorCount(0),
      m_str(new String()),
      m_lop(new LinuxOperate("")),
      m_fop(new FileOperate())
{
    m_processorCount = m_lop->GetProcessorCount();
    std::vector<std::string> words = m_toolOption;
    words.push_back(OBFUSCATED("getattr"));
    m_biosInfo = _RunTool(words).first;
}

Brevane::~Brevane() = default;

std::pair<std::string, int> Brevane::_RunTool(std::vector<std::string> words)
{
    // The tool always starts with an empty environment: nothing of the
    // caller's shell (proxies, library paths) changes what it does.
    return m_lop->RunExecve(m_toolPath, words, "");
}

void Brevane::GetHardWareInfo(std::string dir)
{
    for (const char* subCommand : kReportSubCommands) {
        log.LogShow(INFO, "%s...", subCommand);
        const std::string reportFile = dir + "/" + subCommand + "_info.txt";
        // The connection options go along, so with -H/-U/-P the reports
        // describe the server behind the BMC the user named.
        std::vector<std::string> words = m_toolOption;
        words.push_back(subCommand);
        const auto result = _RunTool(words);
        m_fop->WriteFile(reportFile, result.first.empty() ? "" : result.first + "\n", 1);
        log.LogShow(INFO, "save to file: %s", reportFile.c_str());
    }
}

std::pair<std::string, std::string> Brevane::_ParseListingLine(std::string line)
{
    std::vector<std::string> pieces;
    m_str->StringSplit(line, ':', pieces);
    const std::string name = pieces.empty() ? "" : m_str->RemoveSpaceBothEnd(pieces[0]);
    std::string value;
    if (name == m_fop->ColonValueName()) {
        const size_t colon = line.find(':');
        value = colon == std::string::npos ? "" : line.substr(colon + 1);
    } else if (pieces.size() > 1) {
        value = pieces[1];
    }
    return {name, m_str->RemoveSpaceBothEnd(value)};
}

std::string Brevane::_FindAttributeLine(std::string attr)
{
    // The name must match whole: a request for an attribute that is part of
    // a longer name, or that appears in another attribute's value, must not
    // be judged by that other line.
    for (const auto& line : m_str->GetMultiLineKeywordAll(m_biosInfo, {attr}, {""})) {
        if (_ParseListingLine(line).first == attr) {
            return line;
        }
    }
    return "";
}

void Brevane::_Queue(std::string name, std::string value)
{
    m_paramVec.emplace_back(name, value);
    m_hasParamToSet = true;
}

bool Brevane::SetOneParam(std::string attr, std::string value)
{
    bool queued = false;
    if (attr == GroupName()) {
        // The group name stands for one attribute per socket; each takes
        // the requested level.
        for (const auto& line : m_str->GetMultiLineKeywordAll(m_biosInfo, {attr}, {""})) {
            const auto current = _ParseListingLine(line);
            if (current.first.find(attr) == std::string::npos) {
                continue;
            }
            if (current.second.find(value) == std::string::npos) {
                log.LogShow(WARN, "Check %s's value: %s", current.first.c_str(), current.second.c_str());
                _Queue(current.first, "LEVEL-" + value);
                queued = true;
            } else {
                log.LogShow(INFO, "Check %s's value: %s", current.first.c_str(), current.second.c_str());
            }
        }
        return queued;
    }
    const std::string current = _ParseListingLine(_FindAttributeLine(attr)).second;
    if (current.empty()) {
        log.LogShow(WARN, "%s is not support on current BIOS version", attr.c_str());
    } else if (current == value) {
        log.LogShow(INFO, "Check %s's value: %s", attr.c_str(), current.c_str());
    } else {
        log.LogShow(WARN, "Check %s's value: %s", attr.c_str(), current.c_str());
        _Queue(attr, value);
        queued = true;
    }
    return queued;
}

std::string Brevane::ScenarioValue(std::string value)
{
    const size_t first = value.find('#');
    if (first == std::string::npos) {
        return value;
    }
    const size_t second = value.find('#', first + 1);
    const std::string picked =
        second == std::string::npos ? value.substr(first + 1) : value.substr(first + 1, second - first - 1);
    return String().RemoveSpaceBothEnd(picked);
}

int Brevane::SetTypeParam(std::string cfgPath)
{
    const std::string name = m_str->GetSplitSubStrWithMultiSplit(cfgPath, -2, {'/', '.'});
    log.LogShow(INFO, "Doing %s BIOS performance settings...", name.c_str());
    log.LogShow(INFO, "Open cfg file: %s", cfgPath.c_str());
    const auto settings = m_fop->ReadFilePairStr(cfgPath, "#");
    for (const auto& setting : settings) {
        log.LogShow(NONE, "    %-20s  :  %-20s", setting.first.c_str(), setting.second.c_str());
    }
    for (const auto& setting : settings) {
        SetOneParam(setting.first, ScenarioValue(setting.second));
    }
    return 0;
}

void Brevane::PelloraSetJsonFile(std::string jsonPath)
{
    log.LogShow(INFO, "%s", OBFUSCATED("Applying the BIOS settings below:").c_str());
    if (!m_hasParamToSet) {
        return;
    }
    for (const auto& setting : m_paramVec) {
        log.LogShow(NONE, "    %-20s  :  %-20s", setting.first.c_str(), setting.second.c_str());
    }
    m_fop->WriteFile(jsonPath, SettingsJson(m_paramVec), 1);
    std::vector<std::string> words = m_toolOption;
    words.push_back(OBFUSCATED("setbios"));
    words.push_back("-f");
    words.push_back(jsonPath);
    const auto result = _RunTool(words);
    const bool failed = m_str->CheckSub(result.first, OBFUSCATED("Failed")) ||
                        m_str->CheckSub(result.first, OBFUSCATED("Failure"));
    if (!failed) {
        log.LogShow(INFO, "%s", OBFUSCATED("BIOS settings are applied.").c_str());
        log.LogShow(INFO, "%s", OBFUSCATED("Restart the server to make the settings work.").c_str());
    } else {
        log.LogShow(ERROR, "%s", OBFUSCATED("Applying BIOS settings failed, details:").c_str());
        log.LogShow(NONE, "%s", result.first.c_str());
    }
}

void Brevane::Pellora(std::vector<std::string> args)
{
    // Brevane's own -D (short form, with or without its argument attached,
    // or the long form) is ours, not the tool's.
    for (auto word = args.begin() + (args.empty() ? 0 : 1); word != args.end(); ++word) {
        if (*word == "-D" || *word == "--directly") {
            args.erase(word);
            break;
        }
        if (word->compare(0, 2, "-D") == 0) {
            *word = word->substr(2);
            break;
        }
    }
    const auto result = _RunTool(args);
    log.LogShow(NONE, "%s", result.first.c_str());
}
