#ifndef QUENDAR_STRING_H
#define QUENDAR_STRING_H

#include <initializer_list>
#include <string>
#include <vector>

// Stateless text helpers: splitting command output, keyword tests over
// multi-line text, building command lines, laying out report columns.
class String {
public:
    String();
    ~String();

    // Pieces of str read as lines ended by split (appended to strVec). A
    // space separator drops empty pieces.
    void StringSplit(std::string str, char split, std::vector<std::string>& strVec);
    // Multi-level split: by splitVec[0], each piece by splitVec[1], ...; only
    // the last level's pieces are appended. splitVec must not be empty.
    void StringSplit(std::string str, std::vector<char> splitVec, std::vector<std::string>& strVec);
    // subNumber >= 1 counts from the start, < 0 from the end; else empty.
    std::string GetSplitSubStr(std::string strInput, int subNumber, char split);
    std::string GetSplitSubStrWithMultiSplit(std::string strInput, int subNumber, std::vector<char> splitVec);
    // Command line to words; single and double quotes group.
    std::vector<std::string> GetVecorBySplitStr(std::string strInput);

    bool CheckSub(std::string strInput, std::string strFind);
    bool CheckSub(std::string strInput, std::string subStr, char split);
    bool CheckSub(std::vector<std::string> strVec, std::string strFind);
    // strInput contains every string of findList (empty list: true).
    bool CheckSub(std::string strInput, std::vector<std::string> findList);
    bool CheckSub(std::string strInput, std::initializer_list<std::string> findList);
    // Exactly one string, and it is empty ("nothing excluded").
    bool CheckEmpty(std::vector<std::string> strList);
    bool CheckStartsWiteStr(std::string strInput, std::string strStart);

    int MultiLineCheckSub(std::string strInput, std::vector<std::string> includeList,
                          std::vector<std::string> excludeList);
    std::string GetMultiLineKeyword(std::string strInput, std::vector<std::string> includeList,
                                    std::vector<std::string> excludeList);
    std::vector<std::string> GetMultiLineKeywordAll(std::string strInput, std::vector<std::string> includeList,
                                                    std::vector<std::string> excludeList);

    // printf-style; results longer than 65,535 characters are cut.
    std::string GetCFormatStr(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    std::string RemoveSpaceBothEnd(std::string strInput);
    // replaceTimes 0: every occurrence.
    std::string ReplaceSub(std::string strInput, std::string oldSubStr, std::string newSubStr, int replaceTimes);
    std::string GetListStr(std::vector<std::string> strList);
    std::string transferVectoStr(std::vector<std::string> strVec);
    std::string GetInputParams(int argc, char** argv);
    std::string GetInputParams(char** argv);
    char** GetArgv(int argc, char** argvInput, char** argvOutput, std::string argvFirstStr, std::string removeStr,
                   std::string addStr);
    char** GetArgv(char** argvInput, char** argvOutput, std::string addStr);

    // type "left", "right" or "center"; longer text is never cut; any other
    // type gives an empty string.
    std::string FormatLen(std::string str, int len, std::string type, char fillCh = ' ');
    std::string FormatLen(std::vector<std::string> strVec, int len, std::string type, char fillCh = ' ');
    std::string ParseToOneLine(std::string str1, std::string str2, int lenLeft, int lenRight, char split,
                               std::string ctStr);
};

#endif
