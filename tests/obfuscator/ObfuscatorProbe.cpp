#include <cstdio>

#include "obfuscator.h"

int main()
{
    std::printf("%s\n", OBFUSCATED("cat /proc/self/status | grep Threads").c_str());
    std::printf("%s\n", OBFUSCATED("probe-secret-path.log").c_str());
    return 0;
}
