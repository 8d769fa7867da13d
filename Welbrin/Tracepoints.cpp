#include "Tracepoints.h"

#include <fstream>
#include <set>
#include <sstream>

#include "SysRoot.h"

TracepointChoice ChooseTracepoints(const std::vector<std::string>& wanted, const std::string& availableEvents,
                                   bool known)
{
    TracepointChoice choice;
    choice.known = known;
    if (!known) {
        choice.present = wanted;
        return choice;
    }
    std::set<std::string> events;
    std::istringstream lines(availableEvents);
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        events.insert(line);
    }
    for (const auto& name : wanted) {
        (events.count(name) != 0 ? choice.present : choice.missing).push_back(name);
    }
    return choice;
}

TracepointChoice ChooseMachineTracepoints(const std::vector<std::string>& wanted)
{
    for (const char* place : {"/sys/kernel/tracing/available_events", "/sys/kernel/debug/tracing/available_events"}) {
        std::ifstream file(SysRoot::Resolve(place));
        if (!file) {
            continue;
        }
        std::ostringstream text;
        text << file.rdbuf();
        if (text.str().empty()) {
            continue;
        }
        return ChooseTracepoints(wanted, text.str(), true);
    }
    return ChooseTracepoints(wanted, "", false);
}

std::string TracepointOptions(const std::vector<std::string>& tracepoints)
{
    std::string options;
    for (const auto& name : tracepoints) {
        options += (options.empty() ? "-e " : " -e ") + name;
    }
    return options;
}
