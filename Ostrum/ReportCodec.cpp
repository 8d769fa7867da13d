#include "ReportCodec.h"

#include <istream>
#include <ostream>

namespace ReportCodec {

std::string Encode(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(static_cast<unsigned char>(c) - 3u);
    }
    return text;
}

std::string Decode(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(static_cast<unsigned char>(c) + 3u);
    }
    return text;
}

bool IsEncodedLine(const std::string& line)
{
    return line.find('\x07') != std::string::npos || line.find('\x1d') != std::string::npos;
}

void DecodeStream(std::istream& in, std::ostream& out)
{
    std::string line;
    while (std::getline(in, line)) {
        const bool ended = !in.eof();
        out << (IsEncodedLine(line) ? Decode(line) : line);
        if (ended) {
            out << '\n';
        }
    }
}

}  // namespace ReportCodec
