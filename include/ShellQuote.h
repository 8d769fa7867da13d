#ifndef QUENDAR_SHELL_QUOTE_H
#define QUENDAR_SHELL_QUOTE_H

#include <string>

// A single word for the POSIX shell whatever the text holds: wrapped in
// single quotes, each single quote written as '\''. Paths built from the
// current directory or from user input pass through it before they reach a
// shell command run as root.
std::string ShellQuote(const std::string& text);

#endif
