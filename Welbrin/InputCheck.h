#ifndef WELBRIN_INPUT_CHECK_H
#define WELBRIN_INPUT_CHECK_H

// Checks of the texts an administrator hands to Welbrin. Welbrin runs as root
// and pastes the CPU list and the keyword into shell commands, so both must be
// plain data before they get there.

#include <string>

#include "ShellQuote.h"

namespace InputCheck {

// Reads a decimal integer the way the command line always has: an optional
// sign and the leading digits count, trailing text is ignored ("10abc" is 10).
// False when the text starts with no number or the number leaves the int
// range.
bool LeadingInt(const std::string& text, int& value);

// A CPU list such as "0-3,8,10-11": comma-separated CPU numbers or ascending
// ranges, every CPU below `coreCount` (a `coreCount` of 0 or less checks the
// syntax only). On refusal `reason` says what was wrong.
bool IsCpuList(const std::string& text, int coreCount, std::string& reason);

// An output-directory keyword: empty, or only letters, digits, '.', '_', '-'.
bool IsKeyword(const std::string& text);

// `text` as one single-quoted shell word, whatever it holds.
using ::ShellQuote;

}  // namespace InputCheck

#endif
