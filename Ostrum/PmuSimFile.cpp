#include "PmuSimFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool ParseInt(const std::string& text, int base, int64_t& value)
{
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, base);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return false;
    }
    value = parsed;
    return true;
}

// "-1", or items N or N-M separated by commas.
bool ParseList(const std::string& text, std::vector<int>& out)
{
    if (text.empty()) {
        return false;
    }
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        int64_t first = 0;
        int64_t last = 0;
        const size_t dash = item.find('-', 1);
        if (item == "-1") {
            first = last = -1;
        } else if (dash == std::string::npos) {
            if (!ParseInt(item, 10, first) || first < 0) {
                return false;
            }
            last = first;
        } else {
            if (!ParseInt(item.substr(0, dash), 10, first) || !ParseInt(item.substr(dash + 1), 10, last) ||
                first < 0 || last < first || last - first > 1 << 20) {
                return false;
            }
        }
        if (last > INT32_MAX) {
            return false;
        }
        for (int64_t n = first; n <= last; ++n) {
            out.push_back(static_cast<int>(n));
        }
    }
    // A trailing comma leaves an empty item that getline drops.
    if (text.back() == ',') {
        return false;
    }
    std::sort(out.begin(), out.end());
    return true;
}

bool ParseRate(const std::string& text, double& value)
{
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && value >= 0 && value <= 1e18;
}

bool Contains(const std::vector<int>& sorted, int value)
{
    return sorted.empty() || std::binary_search(sorted.begin(), sorted.end(), value);
}

}  // namespace

bool PmuSimFile::Parse(const std::string& text, const std::string& name, std::string& error)
{
    m_rules.clear();
    std::stringstream lines(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        ++lineNo;
        std::stringstream words(line);
        std::vector<std::string> fields;
        std::string word;
        while (words >> word) {
            fields.push_back(word);
        }
        if (fields.empty() || fields[0][0] == '#') {
            continue;
        }
        const std::string where = name + ":" + std::to_string(lineNo) + ": ";
        if (fields.size() < 3) {
            error = where + "expected '<type> <config> <rate> [cpu=<list>] [pid=<list>] [running=<fraction>]'";
            return false;
        }
        PmuSimRule rule;
        if (fields[0] != "*") {
            rule.anyType = false;
            if (!ParseInt(fields[0], 10, rule.type) || rule.type < 0 || rule.type > UINT32_MAX) {
                error = where + "type '" + fields[0] + "' is not a decimal number or '*'";
                return false;
            }
        }
        if (fields[1] != "*") {
            rule.anyConfig = false;
            int64_t config = 0;
            const bool hex = fields[1].size() > 2 && (fields[1].compare(0, 2, "0x") == 0 || fields[1].compare(0, 2, "0X") == 0);
            const std::string digits = hex ? fields[1].substr(2) : fields[1];
            bool ok = !digits.empty() && digits[0] != '-' && digits[0] != '+';
            if (ok) {
                errno = 0;
                char* end = nullptr;
                const unsigned long long parsed = std::strtoull(digits.c_str(), &end, hex ? 16 : 10);
                ok = errno == 0 && *end == '\0';
                config = static_cast<int64_t>(parsed);
            }
            if (!ok) {
                error = where + "config '" + fields[1] + "' is not 0x<hex>, a decimal number or '*'";
                return false;
            }
            rule.config = static_cast<uint64_t>(config);
        }
        if (!ParseRate(fields[2], rule.rate)) {
            error = where + "rate '" + fields[2] + "' is not a non-negative number";
            return false;
        }
        for (size_t i = 3; i < fields.size(); ++i) {
            const std::string& option = fields[i];
            const size_t eq = option.find('=');
            const std::string key = option.substr(0, eq);
            const std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
            if (key == "cpu" && eq != std::string::npos) {
                if (!ParseList(value, rule.cpus)) {
                    error = where + "cpu list '" + value + "' is not a list such as 0-3,8 or -1";
                    return false;
                }
            } else if (key == "pid" && eq != std::string::npos) {
                if (!ParseList(value, rule.pids)) {
                    error = where + "pid list '" + value + "' is not a list of ids such as 1234,1240-1243 or -1";
                    return false;
                }
            } else if (key == "running" && eq != std::string::npos) {
                if (!ParseRate(value, rule.running) || rule.running <= 0 || rule.running > 1) {
                    error = where + "running '" + value + "' is not a fraction 0 < f <= 1";
                    return false;
                }
            } else {
                error = where + "unknown field '" + option + "' (accepted: cpu=, pid=, running=)";
                return false;
            }
        }
        m_rules.push_back(rule);
    }
    return true;
}

bool PmuSimFile::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the simulated PMU file";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str(), path, error);
}

const PmuSimRule* PmuSimFile::Match(uint32_t type, uint64_t config, int pid, int cpu) const
{
    for (const PmuSimRule& rule : m_rules) {
        if (!rule.anyType && static_cast<uint64_t>(rule.type) != type) {
            continue;
        }
        // Configs are opened sign-extended from 32 bits; a rule written with
        // the 32-bit code matches either form.
        if (!rule.anyConfig && rule.config != config &&
            !(rule.config <= UINT32_MAX && rule.config == (config & 0xffffffffu))) {
            continue;
        }
        if (!Contains(rule.cpus, cpu) || !Contains(rule.pids, pid)) {
            continue;
        }
        return &rule;
    }
    return nullptr;
}
