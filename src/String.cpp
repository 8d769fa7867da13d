#include "String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace {
constexpr size_t kFormatBuffer = 65536;
}

String::String() = default;

String::~String() = default;

void String::StringSplit(std::string str, char split, std::vector<std::string>& strVec)
{
    std::istringstream stream(str);
    std::string piece;
    while (std::getline(stream, piece, split)) {
        if (split == ' ' && piece.empty()) {
            continue;
        }
        strVec.push_back(piece);
    }
}

void String::StringSplit(std::string str, std::vector<char> splitVec, std::vector<std::string>& strVec)
{
    if (splitVec.empty()) {
        return;
    }
    std::vector<std::string> pieces;
    StringSplit(str, splitVec.front(), pieces);
    if (splitVec.size() == 1) {
        strVec.insert(strVec.end(), pieces.begin(), pieces.end());
        return;
    }
    std::vector<char> rest(splitVec.begin() + 1, splitVec.end());
    for (const std::string& piece : pieces) {
        StringSplit(piece, rest, strVec);
    }
}

namespace {
std::string PickPiece(const std::vector<std::string>& pieces, int subNumber)
{
    const int count = static_cast<int>(pieces.size());
    if (subNumber >= 1 && subNumber <= count) {
        return pieces[static_cast<size_t>(subNumber - 1)];
    }
    if (subNumber < 0 && -subNumber <= count) {
        return pieces[static_cast<size_t>(count + subNumber)];
    }
    return std::string();
}
}  // namespace

std::string String::GetSplitSubStr(std::string strInput, int subNumber, char split)
{
    std::vector<std::string> pieces;
    StringSplit(strInput, split, pieces);
    return PickPiece(pieces, subNumber);
}

std::string String::GetSplitSubStrWithMultiSplit(std::string strInput, int subNumber, std::vector<char> splitVec)
{
    std::vector<std::string> pieces;
    StringSplit(strInput, splitVec, pieces);
    return PickPiece(pieces, subNumber);
}

std::vector<std::string> String::GetVecorBySplitStr(std::string strInput)
{
    std::vector<std::string> words;
    std::string pending;
    bool inQuote = false;
    for (char c : strInput) {
        if (c == '"' || c == '\'') {
            inQuote = !inQuote;
            if (!inQuote && !pending.empty()) {
                words.push_back(pending);
                pending.clear();
            }
        } else if (c == ' ' && !inQuote) {
            if (!pending.empty()) {
                words.push_back(pending);
                pending.clear();
            }
        } else {
            pending += c;
        }
    }
    if (!pending.empty()) {
        words.push_back(pending);
    }
    return words;
}

bool String::CheckSub(std::string strInput, std::string strFind)
{
    return strInput.find(strFind) != std::string::npos;
}

bool String::CheckSub(std::string strInput, std::string subStr, char split)
{
    std::vector<std::string> pieces;
    StringSplit(strInput, split, pieces);
    return CheckSub(pieces, subStr);
}

bool String::CheckSub(std::vector<std::string> strVec, std::string strFind)
{
    for (const std::string& item : strVec) {
        if (item == strFind) {
            return true;
        }
    }
    return false;
}

bool String::CheckSub(std::string strInput, std::vector<std::string> findList)
{
    for (const std::string& item : findList) {
        if (strInput.find(item) == std::string::npos) {
            return false;
        }
    }
    return true;
}

bool String::CheckSub(std::string strInput, std::initializer_list<std::string> findList)
{
    return CheckSub(strInput, std::vector<std::string>(findList));
}

bool String::CheckEmpty(std::vector<std::string> strList)
{
    return strList.size() == 1 && strList.front().empty();
}

bool String::CheckStartsWiteStr(std::string strInput, std::string strStart)
{
    return strInput.compare(0, strStart.size(), strStart) == 0;
}

std::vector<std::string> String::GetMultiLineKeywordAll(std::string strInput, std::vector<std::string> includeList,
                                                        std::vector<std::string> excludeList)
{
    std::vector<std::string> lines;
    StringSplit(strInput, '\n', lines);
    const bool nothingExcluded = CheckEmpty(excludeList);
    std::vector<std::string> matches;
    for (const std::string& line : lines) {
        if (CheckSub(line, includeList) && (nothingExcluded || !CheckSub(line, excludeList))) {
            matches.push_back(line);
        }
    }
    return matches;
}

int String::MultiLineCheckSub(std::string strInput, std::vector<std::string> includeList,
                              std::vector<std::string> excludeList)
{
    return static_cast<int>(GetMultiLineKeywordAll(strInput, includeList, excludeList).size());
}

std::string String::GetMultiLineKeyword(std::string strInput, std::vector<std::string> includeList,
                                        std::vector<std::string> excludeList)
{
    std::vector<std::string> matches = GetMultiLineKeywordAll(strInput, includeList, excludeList);
    return matches.empty() ? std::string() : matches.front();
}

std::string String::GetCFormatStr(const char* fmt, ...)
{
    std::string buffer(kFormatBuffer, '\0');
    va_list args;
    va_start(args, fmt);
    int written = std::vsnprintf(&buffer[0], kFormatBuffer, fmt, args);
    va_end(args);
    if (written < 0) {
        return std::string();
    }
    const size_t length = static_cast<size_t>(written);
    buffer.resize(length < kFormatBuffer ? length : kFormatBuffer - 1);
    return buffer;
}

std::string String::RemoveSpaceBothEnd(std::string strInput)
{
    const size_t first = strInput.find_first_not_of(' ');
    if (first == std::string::npos) {
        return strInput;
    }
    const size_t last = strInput.find_last_not_of(' ');
    return strInput.substr(first, last - first + 1);
}

std::string String::ReplaceSub(std::string strInput, std::string oldSubStr, std::string newSubStr, int replaceTimes)
{
    if (oldSubStr.empty()) {
        return strInput;
    }
    // A replacement that holds the text it replaces would be found again
    // forever; then the search goes on after the inserted text.
    const bool searchOn = newSubStr.find(oldSubStr) != std::string::npos;
    int done = 0;
    size_t from = 0;
    while (replaceTimes == 0 || done < replaceTimes) {
        const size_t pos = strInput.find(oldSubStr, searchOn ? from : 0);
        if (pos == std::string::npos) {
            break;
        }
        strInput.replace(pos, oldSubStr.size(), newSubStr);
        from = pos + newSubStr.size();
        ++done;
    }
    return strInput;
}

std::string String::GetListStr(std::vector<std::string> strList)
{
    std::string result;
    for (const std::string& item : strList) {
        result += " " + item;
    }
    return result;
}

std::string String::transferVectoStr(std::vector<std::string> strVec)
{
    std::string result;
    for (size_t i = 0; i < strVec.size(); ++i) {
        if (i != 0) {
            result += " ";
        }
        result += strVec[i];
    }
    return RemoveSpaceBothEnd(result);
}

std::string String::GetInputParams(int argc, char** argv)
{
    std::string result;
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
        const std::string arg = argv[i];
        if (arg.find(' ') != std::string::npos) {
            result += " '" + arg + "'";
        } else {
            result += (i == 0 ? "" : " ") + arg;
        }
    }
    return result;
}

std::string String::GetInputParams(char** argv)
{
    int argc = 0;
    while (argv != nullptr && argv[argc] != nullptr) {
        ++argc;
    }
    return GetInputParams(argc, argv);
}

char** String::GetArgv(int argc, char** argvInput, char** argvOutput, std::string argvFirstStr, std::string removeStr,
                       std::string addStr)
{
    std::vector<std::string> removeWords;
    StringSplit(removeStr, ' ', removeWords);
    std::vector<std::string> addWords;
    StringSplit(addStr, ' ', addWords);
    int out = 0;
    for (int i = 0; i < argc && argvInput[i] != nullptr; ++i) {
        if (i == 0) {
            const std::string first = argvFirstStr.empty() ? std::string(argvInput[0]) : argvFirstStr;
            std::strcpy(argvOutput[out++], first.c_str());
            continue;
        }
        if (CheckSub(removeWords, std::string(argvInput[i]))) {
            continue;
        }
        std::strcpy(argvOutput[out++], argvInput[i]);
    }
    for (const std::string& word : addWords) {
        std::strcpy(argvOutput[out++], word.c_str());
    }
    argvOutput[out] = nullptr;
    return argvOutput;
}

char** String::GetArgv(char** argvInput, char** argvOutput, std::string addStr)
{
    int argc = 0;
    while (argvInput != nullptr && argvInput[argc] != nullptr) {
        ++argc;
    }
    const std::string first = argc > 0 ? std::string(argvInput[0]) : std::string();
    return GetArgv(argc, argvInput, argvOutput, first, "", addStr);
}

std::string String::FormatLen(std::string str, int len, std::string type, char fillCh)
{
    std::ostringstream out;
    out << std::setfill(fillCh);
    if (type == "left") {
        out << std::left << std::setw(len) << str;
    } else if (type == "right") {
        out << std::right << std::setw(len) << str;
    } else if (type == "center") {
        const int shortfall = len - static_cast<int>(str.size());
        out << std::setw(shortfall / 2) << "" << str << std::setw(shortfall - shortfall / 2) << "";
    } else {
        return std::string();
    }
    return out.str();
}

std::string String::FormatLen(std::vector<std::string> strVec, int len, std::string type, char fillCh)
{
    if (strVec.empty()) {
        return std::string();
    }
    const int each = len / static_cast<int>(strVec.size());
    std::string result;
    for (const std::string& item : strVec) {
        result += FormatLen(item, each, type, fillCh);
    }
    return result;
}

std::string String::ParseToOneLine(std::string str1, std::string str2, int lenLeft, int lenRight, char split,
                                   std::string ctStr)
{
    std::vector<std::string> left;
    std::vector<std::string> right;
    StringSplit(str1, split, left);
    StringSplit(str2, split, right);
    const size_t rows = left.size() > right.size() ? left.size() : right.size();
    std::string result;
    for (size_t i = 0; i < rows; ++i) {
        const std::string l = i < left.size() ? left[i] : " ";
        const std::string r = i < right.size() ? right[i] : " ";
        result += FormatLen(l, lenLeft, "left", ' ') + ctStr + FormatLen(r, lenRight, "left", ' ') + split;
    }
    return result;
}
