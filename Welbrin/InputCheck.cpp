#include "InputCheck.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <vector>

namespace InputCheck {

namespace {

// Digits only, no sign, no leading '+': the CPU numbers of a list.
bool ParseCpuNumber(const std::string& text, long& value)
{
    if (text.empty() || text.size() > 6) {
        return false;
    }
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

}  // namespace

bool LeadingInt(const std::string& text, int& value)
{
    std::string::size_type i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || std::isdigit(static_cast<unsigned char>(text[i])) == 0) {
        return false;
    }
    long long number = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1) {
            return false;
        }
    }
    number = negative ? -number : number;
    if (number < INT_MIN || number > INT_MAX) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool IsCpuList(const std::string& text, int coreCount, std::string& reason)
{
    if (text.empty()) {
        reason = "it is empty";
        return false;
    }
    for (const auto& item : SplitAt(text, ',')) {
        const auto bounds = SplitAt(item, '-');
        long first = 0;
        long last = 0;
        if (bounds.size() > 2 || !ParseCpuNumber(bounds.front(), first) ||
            !ParseCpuNumber(bounds.back(), last)) {
            reason = "\"" + item + "\" is not a CPU number or range";
            return false;
        }
        if (last < first) {
            reason = "the range \"" + item + "\" runs backwards";
            return false;
        }
        if (coreCount > 0 && last >= coreCount) {
            reason = "CPU " + std::to_string(last) + " does not exist (this machine has CPUs 0-" +
                     std::to_string(coreCount - 1) + ")";
            return false;
        }
    }
    return true;
}

bool IsKeyword(const std::string& text)
{
    for (char c : text) {
        const bool allowed = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' || c == '-';
        if (!allowed || static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace InputCheck
