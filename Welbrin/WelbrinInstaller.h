#ifndef WELBRIN_INSTALLER_H
#define WELBRIN_INSTALLER_H

// Puts the carried tools where the collection commands find them:
// /tmp/WelbrinBin (the tools, with the top configuration in its etc/procps)
// and /tmp/async-profiler-3.0-linux-x64 (the Java profiler). They stay there
// after the run; a later run unpacks them again over the old files.

#include "WelbrinPayload.h"

void InstallCarriedTools(const WelbrinPayload& payload);

#endif
