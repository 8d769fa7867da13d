#ifndef OSTRUM_TOPDOWN_ENGINE_H
#define OSTRUM_TOPDOWN_ENGINE_H

// The mechanics every top-down model shares: the raw-count keys of the model
// map, filling it from the period's totals, the clamp after the formula
// groups, the splits of a parent metric into shares, and the text of the
// report (title, totals, trees, closing line).
//
// A model class is its event table, its four formula groups and its four
// report trees; everything here works on any of them.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "OstrumTypes.h"

// Every value of a model: raw counts under their hexadecimal key, derived
// metrics under their metric key.
using TopDownModel = std::map<std::string, double>;

// An event table: event name and raw event code, in table order.
using TopDownDesc = std::vector<std::pair<std::string, int>>;

// One line of a report tree: indentation level, printed label, metric key.
struct TopDownRow {
    int level;
    const char* label;
    const char* key;
};

// One share of a split: the metric it fills and the event whose count weighs it.
struct TopDownShare {
    const char* key;
    const char* event;
};

// Formats one report line: (level, label, value, format flag).
using TopDownLinePrinter = std::function<std::string(int, std::string, double, int)>;

namespace TopDownEngine {

// Value formats of a report line.
constexpr int kPercent = 1;
constexpr int kTwoDecimals = 2;
constexpr int kInteger = 3;

// Width of the label column in every top-down report.
constexpr int kLeftWidth = 48;

// "0x" and the code in lowercase hexadecimal, at least four digits.
std::string RawKey(int code);

// One raw core event (type 4, code) per table row, in table order.
PerfEventVec RawEvents(const TopDownDesc& desc);

// Stores the period's count of every event under its raw-count key
// (overwriting the previous period); an event without a count is given 0.
void Fill(TopDownModel& model, const PerfEventVec& events, CountMap& counts);

// Every value below 0 becomes 0; NaN compares false and stays NaN.
void Clamp(TopDownModel& model);

// Writes each share's count / (sum of the shares' counts) x parent. With
// guarded set a zero sum makes every share 0 instead of NaN.
void Split(TopDownModel& model, const std::vector<TopDownShare>& shares,
           const std::function<double(const std::string&)>& count, double parent, bool guarded);

// Rescales metrics already stored so they add up to parent: each becomes its
// value / (sum of their values) x parent, or 0 when that sum is 0.
void Rescale(TopDownModel& model, std::initializer_list<const char*> keys, double parent);

// One line: 8 spaces per level, label padded to leftWidth, the value by flag
// (percent, 2 decimals, integer) and a line break; any other flag gives the
// padded label alone.
std::string Line(int leftWidth, int level, std::string desc, double value, int flag);

// The lines of a tree, each with its metric's value in percent.
std::string Tree(const std::vector<TopDownRow>& rows, const TopDownModel& model, const TopDownLinePrinter& line);

// The whole report: title with pid and CPU list, the instruction, cycle and
// IPC lines, then the trees each after a blank line, then the closing line.
std::string Frame(int leftWidth, int pid, const std::string& cpu, const TopDownModel& model,
                  const TopDownLinePrinter& line, const std::vector<std::string>& trees);

// What a report without any count says on standard error.
void ReportEmpty();

}  // namespace TopDownEngine

#endif
