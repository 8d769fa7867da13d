#include "TopDownEngine.h"

#include <iomanip>
#include <iostream>
#include <limits>
#include <sstream>

#include "Logger.h"
#include "String.h"

namespace {
Logger log;
String innerStr;

bool IsNan(double value) { return value != value; }
}  // namespace

namespace TopDownEngine {

std::string RawKey(int code)
{
    return innerStr.GetCFormatStr("0x%04x", static_cast<unsigned int>(code));
}

PerfEventVec RawEvents(const TopDownDesc& desc)
{
    PerfEventVec events;
    for (const auto& row : desc) {
        events.emplace_back(4, row.second);
    }
    return events;
}

void Fill(TopDownModel& model, const PerfEventVec& events, CountMap& counts)
{
    for (const auto& event : events) {
        model[RawKey(event.second)] = static_cast<double>(counts[event]);
    }
}

void Clamp(TopDownModel& model)
{
    for (auto& entry : model) {
        if (entry.second < 0) {
            entry.second = 0;
        }
    }
}

void Split(TopDownModel& model, const std::vector<TopDownShare>& shares,
           const std::function<double(const std::string&)>& count, double parent, bool guarded)
{
    double sum = 0;
    for (const auto& share : shares) {
        sum += count(share.event);
    }
    for (const auto& share : shares) {
        model[share.key] = (guarded && sum == 0) ? 0 : count(share.event) / sum * parent;
    }
}

void Rescale(TopDownModel& model, std::initializer_list<const char*> keys, double parent)
{
    // The sum is taken once, before the first member is rewritten.
    double sum = 0;
    for (const char* key : keys) {
        sum += model[key];
    }
    for (const char* key : keys) {
        model[key] = (sum == 0) ? 0 : model[key] / sum * parent;
    }
}

std::string Line(int leftWidth, int level, std::string desc, double value, int flag)
{
    std::string prefix;
    for (int i = 0; i < level; ++i) {
        prefix += "        ";
    }
    std::string out = innerStr.FormatLen(prefix + desc, leftWidth, "left", ' ');
    // A zero reached through a negative factor and a NaN born of 0/0 carry a
    // sign bit on some processors; the report shows them as 0 and nan
    // wherever it runs.
    if (IsNan(value)) {
        value = std::numeric_limits<double>::quiet_NaN();
    } else {
        value += 0.0;
    }
    std::ostringstream text;
    text << std::fixed;
    switch (flag) {
    case kPercent:
        text << std::setprecision(2) << value * 100 << "%\n";
        break;
    case kTwoDecimals:
        text << std::setprecision(2) << value << "\n";
        break;
    case kInteger:
        text << std::setprecision(0) << value << "\n";
        break;
    default:
        return out;
    }
    return out + text.str();
}

std::string Tree(const std::vector<TopDownRow>& rows, const TopDownModel& model, const TopDownLinePrinter& line)
{
    std::string out;
    for (const auto& row : rows) {
        auto found = model.find(row.key);
        double value = found == model.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
        out += line(row.level, row.label, value, kPercent);
    }
    return out;
}

std::string Frame(int leftWidth, int pid, const std::string& cpu, const TopDownModel& model,
                  const TopDownLinePrinter& line, const std::vector<std::string>& trees)
{
    log.Log(DEBUG, "TopDownEngine.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    auto value = [&model](const char* key) {
        auto found = model.find(key);
        return found == model.end() ? 0.0 : found->second;
    };
    std::string title = " Top-down Analysis Summary (pid: " + std::to_string(pid) + " cpu: " + cpu + ") ";
    std::string out = innerStr.FormatLen(title, leftWidth + 10, "center", '#') + "\n";
    out += line(0, "Total Execution Instruction:", value("0x0008"), kInteger);
    out += line(0, "Total Execution Cycles:", value("0x0011"), kInteger);
    out += line(0, "Instructions Per Cycle:", value("0x0008") / value("0x0011"), kTwoDecimals);
    for (const auto& tree : trees) {
        out += "\n" + tree;
    }
    out += innerStr.FormatLen("#", leftWidth + 10, "center", '#') + "\n";
    return out;
}

void ReportEmpty()
{
    std::cerr << "perf count is empty" << std::endl;
}

}  // namespace TopDownEngine
