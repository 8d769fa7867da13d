#ifndef PELLORA_LOCALREPORTS_H
#define PELLORA_LOCALREPORTS_H

// Hardware reports of the machine pellora runs on, from what the kernel
// publishes: DMI, /proc, /sys/class/net, /sys/block, /proc/mdstat and
// /sys/class/power_supply.

#include <string>

class LocalReports {
public:
    // `which` is one of getcpu, getmemory, getsyseth, getpdisk, getraid,
    // getpsu, or getbios (whose attribute part the caller adds).
    static bool Build(const std::string& which, std::string& text);
};

#endif
