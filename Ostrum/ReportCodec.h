#ifndef OSTRUM_REPORT_CODEC_H
#define OSTRUM_REPORT_CODEC_H

// The report text is printed and saved encoded: every byte lowered by 3
// (modulo 256). The lines Ostrum adds itself (period headers, the average
// header, pid and process lines, log lines) stay plain.
//
// Telling the two apart when decoding: an encoded block is one physical
// line (its line breaks became the byte 0x07) and every report holds line
// breaks, so it always contains 0x07, and nearly always 0x1D (an encoded
// space). Plain lines are printable text and never contain either byte.

#include <iosfwd>
#include <string>

namespace ReportCodec {

std::string Encode(std::string text);
std::string Decode(std::string text);

// True for a physical line (without its line break) that holds an encoded
// block.
bool IsEncodedLine(const std::string& line);

// Copies in to out, restoring encoded lines and passing plain ones.
void DecodeStream(std::istream& in, std::ostream& out);

}  // namespace ReportCodec

#endif
