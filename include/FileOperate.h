#ifndef QUENDAR_FILEOPERATE_H
#define QUENDAR_FILEOPERATE_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "String.h"

// File tests, whole-file reading, write modes, the name:value reader and
// writing a carried byte block to disk. Nothing throws.
class FileOperate {
public:
    FileOperate();
    ~FileOperate();

    bool ExistFile(std::string filepath);
    bool isDir(std::string path);
    bool isFile(std::string path);

    // Raw content with one trailing newline removed; unreadable: empty.
    std::string ReadFile(std::string filePath);
    // All lines of all files matching the wildcard pattern (with "~").
    std::vector<std::string> GetFileInfo(std::string path);
    // Fields colVec (1-based, split at split) of lines rowVec (1-based).
    std::string GetFileAwk(std::string path, char split, std::vector<int> rowVec, std::vector<int> colVec);
    // name:value lines; lines starting with skipStatsStr are comments.
    std::vector<std::pair<std::string, std::string>> ReadFilePairStr(std::string filePath, std::string skipStatsStr);

    // writeFlag 0 append, 1 replace, 2 append unless already contained,
    // 3 standard output; anything else writes nothing.
    void WriteFile(std::string filepath, std::string writeContent, int writeFlag);
    void ReplaceStrFile(std::string filepath, std::string oldStr, std::string newStr);
    // Returns true exactly when copying statFile's attributes failed.
    bool WriteBin2HeaderFile(std::string filepath, const unsigned char* writeContent, int wirteLen,
                             std::string statFile);
    bool fileCopy(std::string pathSrc, std::string pathDst);
    bool setFileStat(std::string pathDst, std::string pathSrc);

    std::string GetPathBaseName(std::string path);

    // The reserved configuration name whose value keeps its colons.
    std::string ColonValueName();

    std::unique_ptr<String> m_str;

private:
    std::string _RawContent(std::string filePath);
};

#endif
