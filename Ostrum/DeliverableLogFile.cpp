#include "Logger.h"
#include "obfuscator.h"

// Ostrum's own log file (every Logger line is appended to it).
std::string GetDeliverableLogFile()
{
    return OBFUSCATED("/var/log/ostrum/o.log");
}
