#include "ScenarioDir.h"

#include "obfuscator.h"

#ifndef BREVANE_SCENARIO_DIR
#define BREVANE_SCENARIO_DIR "/etc/Brevane/conf"
#endif

namespace {

std::string ScenarioSuffix()
{
    return OBFUSCATED(".cfg");
}

}  // namespace

std::string ScenarioDir()
{
    return OBFUSCATED(BREVANE_SCENARIO_DIR);
}

std::string ScenarioFile(std::string type)
{
    return ScenarioDir() + "/" + type + ScenarioSuffix();
}

std::string ScenarioNameOf(std::string path)
{
    const std::string suffix = ScenarioSuffix();
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.size() <= suffix.size() || base.compare(base.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return "";
    }
    return base.substr(0, base.size() - suffix.size());
}
