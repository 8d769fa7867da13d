#include "Logger.h"
#include "obfuscator.h"

// Tests and helper programs log here; each deliverable links its own
// definition, which takes precedence over this weak one.
__attribute__((weak)) std::string GetDeliverableLogFile()
{
    return OBFUSCATED("/tmp/quendar_test.log");
}
