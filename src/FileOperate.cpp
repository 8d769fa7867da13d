#include "FileOperate.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Logger.h"
#include "obfuscator.h"

namespace {
Logger log;
String innerStr;

constexpr size_t kCopyChunk = 1048576;

bool StatOf(const std::string& path, struct stat& st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}
}  // namespace

FileOperate::FileOperate() : m_str(new String()) {}

FileOperate::~FileOperate() = default;

bool FileOperate::ExistFile(std::string filepath)
{
    struct stat st {};
    return StatOf(filepath, st);
}

bool FileOperate::isDir(std::string path)
{
    struct stat st {};
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool FileOperate::isFile(std::string path)
{
    struct stat st {};
    return StatOf(path, st) && S_ISREG(st.st_mode);
}

std::string FileOperate::ReadFile(std::string filePath)
{
    struct stat st {};
    if (!StatOf(filePath, st)) {
        return std::string();
    }
    std::ifstream in(filePath, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
        return std::string();
    }
    std::ostringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

std::string FileOperate::_RawContent(std::string filePath)
{
    std::ifstream in(filePath, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
        return std::string();
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> FileOperate::GetFileInfo(std::string path)
{
    std::vector<std::string> lines;
    glob_t matches {};
    if (::glob(path.c_str(), GLOB_TILDE, nullptr, &matches) == 0) {
        for (size_t i = 0; i < matches.gl_pathc; ++i) {
            std::ifstream in(matches.gl_pathv[i]);
            if (!in.is_open()) {
                std::cout << "open failed with " << matches.gl_pathv[i] << std::endl;
                continue;
            }
            std::string line;
            while (std::getline(in, line)) {
                lines.push_back(line);
            }
        }
    }
    ::globfree(&matches);
    return lines;
}

std::string FileOperate::GetFileAwk(std::string path, char split, std::vector<int> rowVec, std::vector<int> colVec)
{
    const std::vector<std::string> lines = GetFileInfo(path);
    std::vector<std::string> fields;
    for (int row : rowVec) {
        if (row < 1 || row > static_cast<int>(lines.size())) {
            continue;
        }
        for (int col : colVec) {
            std::string field = m_str->GetSplitSubStr(lines[static_cast<size_t>(row - 1)], col, split);
            if (!field.empty()) {
                fields.push_back(field);
            }
        }
    }
    return m_str->transferVectoStr(fields);
}

std::string FileOperate::ColonValueName()
{
    return OBFUSCATED("BootOrder");
}

std::vector<std::pair<std::string, std::string>> FileOperate::ReadFilePairStr(std::string filePath,
                                                                             std::string skipStatsStr)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    struct stat st {};
    if (!StatOf(filePath, st)) {
        return pairs;
    }
    std::ifstream in(filePath);
    if (!in.is_open()) {
        log.LogShow(ERROR, "open %s failed", filePath.c_str());
        std::exit(1);
    }
    const std::string colonValueName = ColonValueName();
    std::string line;
    while (std::getline(in, line)) {
        line = m_str->RemoveSpaceBothEnd(line);
        if (m_str->CheckStartsWiteStr(line, skipStatsStr)) {
            continue;
        }
        if (line.find(':') == std::string::npos) {
            continue;
        }
        std::string name = m_str->RemoveSpaceBothEnd(m_str->GetSplitSubStr(line, 1, ':'));
        std::string value = m_str->GetSplitSubStr(line, 2, ':');
        if (name == colonValueName) {
            std::vector<std::string> pieces;
            m_str->StringSplit(line, ':', pieces);
            for (size_t i = 2; i < pieces.size() && !pieces[i].empty(); ++i) {
                value += ":" + pieces[i];
            }
        }
        pairs.emplace_back(name, m_str->RemoveSpaceBothEnd(value));
    }
    return pairs;
}

void FileOperate::WriteFile(std::string filepath, std::string writeContent, int writeFlag)
{
    std::ios::openmode mode;
    switch (writeFlag) {
        case 0:
            mode = std::ios::out | std::ios::binary | std::ios::app;
            break;
        case 1:
            mode = std::ios::out | std::ios::binary | std::ios::trunc;
            break;
        case 2:
            // Compared with the whole content: a text ending in a newline is
            // found again, so repeating the call never appends it twice.
            if (ReadFile(filepath).find(writeContent) != std::string::npos ||
                _RawContent(filepath).find(writeContent) != std::string::npos) {
                return;
            }
            mode = std::ios::out | std::ios::binary | std::ios::app;
            break;
        case 3:
            std::cout << writeContent << std::endl;
            return;
        default:
            return;
    }
    std::ofstream out(filepath, mode);
    if (!out.is_open()) {
        const std::string fmt = OBFUSCATED("open file %s failed");
        log.LogShow(ERROR, fmt.c_str(), filepath.c_str());
        return;
    }
    out << writeContent;
}

void FileOperate::ReplaceStrFile(std::string filepath, std::string oldStr, std::string newStr)
{
    if (!isFile(filepath)) {
        return;
    }
    WriteFile(filepath, m_str->ReplaceSub(ReadFile(filepath), oldStr, newStr, 0), 1);
}

bool FileOperate::WriteBin2HeaderFile(std::string filepath, const unsigned char* writeContent, int wirteLen,
                                      std::string statFile)
{
    log.Log(DEBUG, "FileOperate.cpp", __LINE__, "WriteBin2HeaderFile: %s", filepath.c_str());
    std::ofstream out(filepath, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        const std::string fmt = OBFUSCATED("write to %s failed.");
        log.LogShow(ERROR, fmt.c_str(), filepath.c_str());
        return true;
    }
    if (wirteLen > 0 && writeContent != nullptr) {
        out.write(reinterpret_cast<const char*>(writeContent), static_cast<std::streamsize>(wirteLen));
    }
    out.close();
    if (out.fail()) {
        // A short write (disk full) must not leave a truncated archive that
        // a later run would take for the real one.
        const std::string fmt = OBFUSCATED("write to %s failed.");
        log.LogShow(ERROR, fmt.c_str(), filepath.c_str());
        std::remove(filepath.c_str());
        return true;
    }
    if (!statFile.empty() && isFile(statFile)) {
        return !setFileStat(filepath, statFile);
    }
    return false;
}

bool FileOperate::fileCopy(std::string pathSrc, std::string pathDst)
{
    std::FILE* src = std::fopen(pathSrc.c_str(), "rb");
    if (src == nullptr) {
        return false;
    }
    std::FILE* dst = std::fopen(pathDst.c_str(), "wb");
    if (dst == nullptr) {
        std::fclose(src);
        return false;
    }
    char* buffer = static_cast<char*>(std::malloc(kCopyChunk));
    if (buffer == nullptr) {
        std::fclose(src);
        std::fclose(dst);
        return false;
    }
    bool whole = true;
    size_t n = 0;
    while ((n = std::fread(buffer, 1, kCopyChunk, src)) > 0) {
        if (std::fwrite(buffer, 1, n, dst) != n) {
            whole = false;
            break;
        }
    }
    if (std::ferror(src) != 0) {
        whole = false;
    }
    std::free(buffer);
    std::fclose(src);
    if (std::fclose(dst) != 0) {
        whole = false;
    }
    if (!whole) {
        // A partial copy is not a copy.
        return false;
    }
    setFileStat(pathDst, pathSrc);
    return true;
}

bool FileOperate::setFileStat(std::string pathDst, std::string pathSrc)
{
    if (!isFile(pathDst) || !isFile(pathSrc)) {
        return false;
    }
    struct stat st {};
    if (::stat(pathSrc.c_str(), &st) != 0) {
        return false;
    }
    if (::chown(pathDst.c_str(), st.st_uid, st.st_gid) != 0) {
        return false;
    }
    if (::chmod(pathDst.c_str(), st.st_mode & 07777) != 0) {
        return false;
    }
    struct utimbuf times {};
    times.actime = st.st_atime;
    times.modtime = st.st_mtime;
    return ::utime(pathDst.c_str(), &times) == 0;
}

std::string FileOperate::GetPathBaseName(std::string path)
{
    if (path.find('/') == std::string::npos) {
        return path;
    }
    return m_str->GetSplitSubStr(path, -1, '/');
}
