#ifndef PELLORA_TOOLTREE_H
#define PELLORA_TOOLTREE_H

// The unpacked tool tree around the launcher (<tree>/bin/pellora) and the
// optional files of its etc/ directory, which configure a run because
// Brevane starts pellora with an empty environment:
//   etc/sysroot    a machine-description root to read instead of the real
//                  machine (test builds only; a relative path is taken
//                  from the tree)
//   etc/bmc-ca.pem CA bundle or certificate that BMC certificates must
//                  verify against
//   etc/bmc-pin    "sha256//<base64>": the one BMC public key to trust
// The environment variables QUENDAR_SYSROOT, PELLORA_BMC_CA and
// PELLORA_BMC_PIN, when set and not empty, take precedence.

#include <string>

struct ToolSettings {
    std::string tree;      // empty when the launcher is not in a tree
    std::string sysroot;
    std::string caFile;
    std::string pinnedKey;
};

class ToolTree {
public:
    // The tree is the parent of the directory holding `executable` when
    // that directory is called bin.
    static ToolSettings Read(const std::string& executable);
    // Settings of this run: reads the tree of the running program and makes
    // the machine root the one SysRoot::Resolve uses.
    static ToolSettings Apply();
};

#endif
