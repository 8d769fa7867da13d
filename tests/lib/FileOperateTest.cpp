#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <string>
#include <utility>
#include <vector>

#include "FileOperate.h"
#include "TempDir.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class FileOperateTest : public ::testing::Test {
protected:
    TempDir m_dir;
    FileOperate m_fop;
};

TEST_F(FileOperateTest, Tests)
{
    const std::string file = m_dir.Write("f", "x");
    ::symlink(file.c_str(), m_dir.Sub("link").c_str());
    ::symlink(m_dir.Sub("nowhere").c_str(), m_dir.Sub("dangling").c_str());
    struct Case {
        std::string path;
        bool exists, dir, regular;
    };
    const std::vector<Case> cases = {
        {file, true, false, true},
        {m_dir.Path(), true, true, false},
        {m_dir.Sub("link"), true, false, true},
        {m_dir.Sub("dangling"), false, false, false},
        {m_dir.Sub("missing"), false, false, false},
        {"", false, false, false},
        {"/dev/null", true, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_fop.ExistFile(c.path), c.exists) << c.path;
        EXPECT_EQ(m_fop.isDir(c.path), c.dir) << c.path;
        EXPECT_EQ(m_fop.isFile(c.path), c.regular) << c.path;
    }
}

TEST_F(FileOperateTest, ReadFile)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1\n", "1"},
        {"1\n\n", "1\n"},
        {"", ""},
        {"no newline", "no newline"},
        {std::string("bin\0ary\xff\n", 9), std::string("bin\0ary\xff", 8)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(m_fop.ReadFile(m_dir.Write("r", c.first)), c.second);
    }
    EXPECT_EQ(m_fop.ReadFile(m_dir.Sub("missing")), "");
}

TEST_F(FileOperateTest, WriteModes)
{
    struct Case {
        int flag;
        std::string before;  // "<none>": no file
        std::string content;
        std::string after;   // "<none>": still no file
    };
    const std::vector<Case> cases = {
        {0, "<none>", "a", "a"},
        {0, "x", "a", "xa"},
        {1, "<none>", "a", "a"},
        {1, "old text", "new", "new"},
        {2, "<none>", "a", "a"},
        {2, "has a\n", "a", "has a\n"},
        {2, "x", "a", "xa"},
        {3, "x", "a", "x"},
        {3, "<none>", "a", "<none>"},
        {4, "x", "a", "x"},
        {-1, "<none>", "a", "<none>"},
    };
    for (const Case& c : cases) {
        const std::string path = m_dir.Sub("w");
        ::unlink(path.c_str());
        if (c.before != "<none>") {
            m_dir.Write("w", c.before);
        }
        ::testing::internal::CaptureStdout();
        m_fop.WriteFile(path, c.content, c.flag);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, c.flag == 3 ? c.content + "\n" : "") << c.flag;
        if (c.after == "<none>") {
            EXPECT_FALSE(m_fop.ExistFile(path)) << c.flag;
        } else {
            EXPECT_EQ(TempDir::Read(path), c.after) << "flag " << c.flag << " before '" << c.before << "'";
        }
    }
}

TEST_F(FileOperateTest, WriteFlagTwoAppendsOnce)
{
    for (const std::string text : {"line", "line\n", "two\nlines\n"}) {
        const std::string path = m_dir.Sub("once");
        ::unlink(path.c_str());
        m_fop.WriteFile(path, text, 2);
        m_fop.WriteFile(path, text, 2);
        EXPECT_EQ(TempDir::Read(path), text);
    }
}

TEST_F(FileOperateTest, WriteToMissingDirectoryReportsAndWritesNothing)
{
    const std::string path = m_dir.Sub("no/such/file");
    ::testing::internal::CaptureStdout();
    m_fop.WriteFile(path, "a", 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR"), std::string::npos);
    EXPECT_NE(out.find(path), std::string::npos);
    EXPECT_FALSE(m_fop.ExistFile(path));
}

TEST_F(FileOperateTest, ReplaceStrFile)
{
    const std::string path = m_dir.Write("rep", "a-b-a\n");
    m_fop.ReplaceStrFile(path, "a", "zz");
    EXPECT_EQ(TempDir::Read(path), "zz-b-zz");
    m_fop.ReplaceStrFile(m_dir.Path(), "a", "b");  // not a regular file: nothing happens
    EXPECT_TRUE(m_fop.isDir(m_dir.Path()));
}

TEST_F(FileOperateTest, ReadFilePairStr)
{
    const std::string reserved = m_fop.ColonValueName();
    ASSERT_EQ(reserved.size(), 9u);
    struct Case {
        std::string content;
        Pairs pairs;
    };
    const std::vector<Case> cases = {
        {"# comment: x\nA : 1\nB:2:3\nX\n", {{"A", "1"}, {"B", "2"}}},
        {"  #indented: c\nName With Space :  v w \n", {{"Name With Space", "v w"}}},
        {"K:\nK:dup\n", {{"K", ""}, {"K", "dup"}}},
        {reserved + ": a:b:c\n", {{reserved, "a:b:c"}}},
        {reserved + ":a::b\n", {{reserved, "a"}}},
        {"Other:a:b\n", {{"Other", "a"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_fop.ReadFilePairStr(m_dir.Write("pairs.cfg", c.content), "#"), c.pairs) << c.content;
    }
    EXPECT_EQ(m_fop.ReadFilePairStr(m_dir.Sub("missing.cfg"), "#"), Pairs{});
}

TEST_F(FileOperateTest, WriteBin2HeaderFileKeepsBytesAndTakesAttributes)
{
    const std::string bytes("\x00\x01\xff\n\r\x7f" "tail", 10);
    const std::string stat = m_dir.Write("stat", "s");
    ::chmod(stat.c_str(), 0755);
    struct utimbuf times {};
    times.actime = 1000000;
    times.modtime = 2000000;
    ::utime(stat.c_str(), &times);

    const std::string out = m_dir.Sub("blob");
    m_dir.Write("blob", "previous content that is longer");
    EXPECT_FALSE(m_fop.WriteBin2HeaderFile(out, reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<int>(bytes.size()), stat));
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);  // before reading, which moves the access time
    EXPECT_EQ(TempDir::Read(out), bytes);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(st.st_mtime, 2000000);
    EXPECT_EQ(st.st_atime, 1000000);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(FileOperateTest, WriteBin2HeaderFileResults)
{
    const unsigned char bytes[] = {1, 2, 3};
    struct Case {
        std::string path;
        std::string statFile;
        bool result;
    };
    const std::vector<Case> cases = {
        {m_dir.Sub("plain"), "", false},
        {m_dir.Sub("nostat"), m_dir.Sub("missing"), false},
        {m_dir.Sub("dirstat"), m_dir.Path(), false},
        // The block could not be written: reported as the failure it is.
        {m_dir.Sub("no/dir/blob"), "", true},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(m_fop.WriteBin2HeaderFile(c.path, bytes, 3, c.statFile), c.result) << c.path;
        ::testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(TempDir::Read(m_dir.Sub("plain")), "\x01\x02\x03");
}

TEST_F(FileOperateTest, FileCopyAndStat)
{
    std::string big(3 * 1048576 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7);
    }
    const std::string src = m_dir.Write("src", big);
    ::chmod(src.c_str(), 0640);
    const std::string dst = m_dir.Sub("dst");
    ASSERT_TRUE(m_fop.fileCopy(src, dst));
    EXPECT_EQ(TempDir::Read(dst), big);
    struct stat st {};
    ASSERT_EQ(::stat(dst.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    EXPECT_FALSE(m_fop.fileCopy(m_dir.Sub("missing"), dst));
    EXPECT_FALSE(m_fop.fileCopy(src, m_dir.Sub("no/dir/dst")));
    EXPECT_FALSE(m_fop.setFileStat(m_dir.Path(), src));
    EXPECT_FALSE(m_fop.setFileStat(dst, m_dir.Sub("missing")));
    EXPECT_FALSE(m_fop.setFileStat("", src));
}

TEST_F(FileOperateTest, FileInfoAndAwk)
{
    m_dir.Write("info/a.txt", "a1 x\na2 y\n");
    m_dir.Write("info/b.txt", "b1 z\n");
    EXPECT_EQ(m_fop.GetFileInfo(m_dir.Sub("info/*.txt")), (std::vector<std::string>{"a1 x", "a2 y", "b1 z"}));
    EXPECT_EQ(m_fop.GetFileInfo(m_dir.Sub("info/*.none")), std::vector<std::string>{});
    EXPECT_EQ(m_fop.GetFileAwk(m_dir.Sub("info/*.txt"), ' ', {2, 3}, {2}), "y z");
    EXPECT_EQ(m_fop.GetFileAwk(m_dir.Sub("info/*.txt"), ' ', {1}, {1, 2}), "a1 x");
}

TEST_F(FileOperateTest, PathBaseName)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/usr/bin/", "bin"}, {"tool", "tool"}, {"/usr/bin/perf", "perf"}, {"a/b", "b"}, {"", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(m_fop.GetPathBaseName(c.first), c.second) << c.first;
    }
}

}  // namespace
