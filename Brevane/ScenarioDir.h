#ifndef BREVANE_SCENARIODIR_H
#define BREVANE_SCENARIODIR_H

#include <string>

// Where the scenario files live: fixed when the program is built (an
// administrator's configuration must not move because of a variable in the
// caller's environment), /etc/Brevane/conf unless the build says otherwise.
std::string ScenarioDir();

// The file of scenario `type`: <dir>/<type>.cfg.
std::string ScenarioFile(std::string type);

// The scenario name of a file path: its base name without ".cfg"; empty when
// the file is not a scenario file (another suffix, or nothing before it).
std::string ScenarioNameOf(std::string path);

#endif
