#include "ReportCodec.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ReportCodec, LowersEveryByteByThree)
{
    struct Case {
        std::string plain, encoded;
    };
    for (const Case& c : {Case{"AB", "\x3e\x3f"}, Case{"a", "^"}, Case{"0", "-"}, Case{" \n", "\x1d\x07"},
                          Case{std::string("\x01\x02", 2), "\xfe\xff"}}) {
        EXPECT_EQ(ReportCodec::Encode(c.plain), c.encoded);
        EXPECT_EQ(ReportCodec::Decode(c.encoded), c.plain);
    }
    std::string every;
    for (int b = 0; b < 256; ++b) {
        every += static_cast<char>(b);
    }
    EXPECT_EQ(ReportCodec::Decode(ReportCodec::Encode(every)), every);
}

TEST(ReportCodec, DecodingRestoresBlocksAndKeepsPlainLines)
{
    const std::string report = "L1 Cache  BW :  1.00|\nL2 Cache  BW :  2.00|\n";
    const std::string printed = "2026-12-10 02:00:00.005        0 Times\n" + ReportCodec::Encode(report) + "\n" +
                                " 2026-12-10 02:00:00.006 | INFO  : a log line\n" + "Print info is saved to /x/perf_info.txt\n";
    std::istringstream in(printed);
    std::ostringstream out;
    ReportCodec::DecodeStream(in, out);
    EXPECT_EQ(out.str(), "2026-12-10 02:00:00.005        0 Times\n" + report + "\n" +
                             " 2026-12-10 02:00:00.006 | INFO  : a log line\n" +
                             "Print info is saved to /x/perf_info.txt\n");
}

TEST(ReportCodec, TellsEncodedLinesFromPlainOnes)
{
    struct Case {
        std::string line;
        bool encoded;
    };
    for (const Case& c : {Case{ReportCodec::Encode("x y"), true}, Case{ReportCodec::Encode("row\n"), true},
                          Case{"pid: 123", false}, Case{"process: sleep 5 ", false}, Case{"", false},
                          Case{std::string(160, '*'), false}}) {
        EXPECT_EQ(ReportCodec::IsEncodedLine(c.line), c.encoded) << c.line;
    }
}

TEST(ReportCodec, LastLineWithoutLineBreakStaysWithout)
{
    std::istringstream in("plain\n" + ReportCodec::Encode("a b"));
    std::ostringstream out;
    ReportCodec::DecodeStream(in, out);
    EXPECT_EQ(out.str(), "plain\na b");
}

}  // namespace
