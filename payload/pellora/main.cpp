// pellora: BIOS settings and hardware reports of a server, in-band through
// the kernel's firmware-attributes class or out of band through the BMC's
// Redfish service.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "LocalBackend.h"
#include "PelloraRun.h"
#include "RedfishBackend.h"
#include "ToolTree.h"

namespace {

// The BMC password arrives on our command line (that is how Brevane passes
// it); blank it in place once copied, so /proc/<pid>/cmdline stops showing
// it to other users for the rest of the run.
void HidePassword(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-P") {
            std::memset(argv[i + 1], '*', std::strlen(argv[i + 1]));
        }
        if (option == "-P" || option == "-H" || option == "-U" || option == "-A" || option == "-f") {
            ++i;  // the option's value, whatever it looks like
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    ToolSettings settings = ToolTree::Apply();
    std::vector<std::string> args(argv, argv + argc);
    HidePassword(argc, argv);
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
