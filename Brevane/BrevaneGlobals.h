#ifndef BREVANE_BREVANEGLOBALS_H
#define BREVANE_BREVANEGLOBALS_H

#include <string>

#include "FileOperate.h"
#include "LinuxOperate.h"
#include "String.h"

// State of the entry code shared with the tool extraction.
extern LinuxOperate g_lop;
extern FileOperate g_fop;
extern String g_str;
// Text shown after the program name in the help examples: the BMC options
// when the machine offers no in-band BIOS interface.
extern std::string g_bmcHelpStr;

#endif
