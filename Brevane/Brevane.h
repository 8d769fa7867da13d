#ifndef BREVANE_BREVANE_H
#define BREVANE_BREVANE_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FileOperate.h"
#include "LinuxOperate.h"
#include "String.h"

// Every BIOS action of the tool, carried out by running the unpacked Pellora
// launcher and reading its text output. The attribute listing is read once,
// at construction; settings whose value must change are queued and applied
// in one call at the end of the run.
//
// The connection options are kept as separate words (the tool's program
// name first, then -H/-U/-P and their values in remote mode), so a BMC
// password or user holding spaces or quotes reaches the tool unchanged.
class Brevane {
public:
    Brevane(std::string toolPath, std::vector<std::string> toolOption);
    ~Brevane();

    // Saves one report file per report sub-command into dir.
    void GetHardWareInfo(std::string dir);
    // Queues attr = value when the BIOS holds another value; true when
    // something was queued.
    bool SetOneParam(std::string attr, std::string value);
    // SetOneParam for every setting of a scenario file; returns 0.
    int SetTypeParam(std::string cfgPath);
    // Writes the queued settings as JSON to jsonPath and has the tool apply them.
    void PelloraSetJsonFile(std::string jsonPath);
    // Passes a user's words to the tool: Brevane's own argument vector with
    // the -D option taken out (its first word becomes the tool's name).
    void Pellora(std::vector<std::string> args);

    // The value a scenario line requests: for x#y, y (the part between the
    // first and the second "#").
    static std::string ScenarioValue(std::string value);

    bool m_hasParamToSet;
    std::vector<std::pair<std::string, std::string>> m_paramVec;
    std::string m_toolPath;
    std::vector<std::string> m_toolOption;
    int m_processorCount;
    std::unique_ptr<String> m_str;
    std::string m_biosInfo;
    std::unique_ptr<LinuxOperate> m_lop;
    std::unique_ptr<FileOperate> m_fop;

private:
    // (name, current value) of a listing line; the reserved name keeps
    // every colon of its value.
    std::pair<std::string, std::string> _ParseListingLine(std::string line);
    // The listing line of attribute attr (exact name), or empty.
    std::string _FindAttributeLine(std::string attr);
    std::pair<std::string, int> _RunTool(std::vector<std::string> words);
    void _Queue(std::string name, std::string value);
};

#endif
