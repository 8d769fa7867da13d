// ostrum-decode [FILE]: restores the encoded report blocks of Ostrum's
// terminal output or of a perf_info.txt; plain lines pass unchanged. Reads
// standard input when no file (or "-") is given.

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "ReportCodec.h"

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
        std::cerr << "usage: " << argv[0] << " [FILE]   (restores Ostrum's encoded report text; standard input by default)"
                  << std::endl;
        return argc > 2 ? 1 : 0;
    }
    if (argc == 1 || std::strcmp(argv[1], "-") == 0) {
        ReportCodec::DecodeStream(std::cin, std::cout);
        return 0;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[0] << ": cannot read " << argv[1] << ": " << std::strerror(errno) << std::endl;
        return 1;
    }
    ReportCodec::DecodeStream(in, std::cout);
    return std::cout ? 0 : 1;
}
