// pellora: BIOS settings and hardware reports of a server, in-band through
// the kernel's firmware-attributes class or out of band through the BMC's
// Redfish service.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "LocalBackend.h"
#include "PelloraRun.h"
#include "RedfishBackend.h"
#include "ToolTree.h"

int main(int argc, char** argv)
{
    ToolSettings settings = ToolTree::Apply();
    std::vector<std::string> args(argv, argv + argc);
    CommandLine cl;
    std::string error;
    if (!CommandLine::Parse(args, cl, error)) {
        std::fprintf(stdout, "Failure: %s\n", error.c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(CommandLine::Usage().c_str(), stdout);
        return 0;
    }
    std::unique_ptr<Backend> backend;
    if (cl.Remote()) {
        backend.reset(new RedfishBackend({cl.host, cl.user, cl.password, settings.caFile, settings.pinnedKey}));
    } else {
        backend.reset(new LocalBackend());
    }
    std::string out;
    int status = PelloraRun::Execute(cl, *backend, out);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return status;
}
