#ifndef BREVANE_EXTRACTTOOLS_H
#define BREVANE_EXTRACTTOOLS_H

#include <string>

// The carried tool is unpacked into a directory of its own for each run:
// created with mkdtemp (mode 0700, unpredictable name) under $TMPDIR when that
// names an absolute directory, else under /tmp. Nobody else can plant links
// in it or read what it holds (the unpacked tool, the settings handed to
// it), and it is removed on every way out of the program: the normal end,
// every exit() (the library's fatal errors included) and SIGINT, SIGTERM,
// SIGHUP and SIGQUIT.

// Unpacks the tool or ends the program with status 1.
void InitExtractTools();
// Removes the work directory; safe to call at any time, any number of times.
void DeleteExtractTools();
// Removes the work directory and ends the program with `status`.
[[noreturn]] void ExitRun(int status);

// The launcher of the unpacked tool (empty before InitExtractTools).
std::string ToolLauncherPath();
// The settings file handed to the tool, inside the work directory.
std::string SettingsFilePath();

#endif
