#include <string>

#include "Logger.h"
#include "obfuscator.h"

// Brevane's own log file; it replaces the library's default so that BIOS
// runs are kept apart from the other tools' logs.
std::string GetDeliverableLogFile()
{
    return OBFUSCATED("/var/log/brevanes.log");
}
