#ifndef PELLORA_MACHINEFILES_H
#define PELLORA_MACHINEFILES_H

// Reading and writing the small text files the kernel publishes about the
// machine. Every machine path goes through SysRoot::Resolve, so a described
// machine (a directory that mirrors /sys and /proc) stands in for the real
// one in tests.

#include <string>
#include <vector>

namespace MachineFiles {

// The file's content with one trailing newline removed; false when it
// cannot be read.
bool Read(const std::string& machinePath, std::string& out);
// The same, or `fallback` when the file cannot be read.
std::string ReadOr(const std::string& machinePath, const std::string& fallback);
bool Exists(const std::string& machinePath);
bool IsDirectory(const std::string& machinePath);
// The names in a directory (no "." or ".."), sorted; empty when it cannot
// be listed.
std::vector<std::string> List(const std::string& machinePath);
// Replaces the content of an existing file (never creates one, never
// follows a link at the last step). On failure `error` says why.
bool Write(const std::string& machinePath, const std::string& text, std::string& error);

}  // namespace MachineFiles

#endif
