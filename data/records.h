// SPDX-License-Identifier: GPL-3.0-or-later
// The two global records the user edits: the function data ("fdata") and the
// graph data ("gdata"), each a fixed array of named text entries, plus the
// integration interval read from the function data. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavex {

// One named entry: name, value text, and the line the data box lists.
struct DataEntry {
  static constexpr int kNameSize = 40;
  static constexpr int kValueSize = 60;
  static constexpr int kLineSize = 120;
  char name[kNameSize];
  char value[kValueSize];
  char line[kLineSize];
};

inline constexpr int kFunctionDataEntries = 10;
inline constexpr int kGraphDataEntries = 14;

// Entry positions of the function data.
enum FunctionDataIndex : int {
  kFdHeader = 0,
  kFdFunction = 1,
  kFdFirstParameter = 2,  // a
  kFdX1 = 7,
  kFdX2 = 8,
  kFdSteps = 9,
};

// Entry positions of the graph data.
enum GraphDataIndex : int {
  kGdHeader = 0,
  kGdX0 = 1,
  kGdX1 = 2,
  kGdY0 = 3,
  kGdY1 = 4,
  kGdPoints = 5,
  kGdT1 = 6,
  kGdTt1 = 7,
  kGdT2 = 8,
  kGdTt2 = 9,
  kGdTsize = 10,
  kGdXlab = 11,
  kGdYlab = 12,
  kGdTitle = 13,
};

// Filled with the defaults during static initialisation, function data first.
extern DataEntry functionData[kFunctionDataEntries];
extern DataEntry graphData[kGraphDataEntries];

// The integration interval and step width, derived from the function data.
struct FunctionInterval {
  double x1 = 0.0;
  double x2 = 0.0;
  std::int32_t n = 0;
  double h = 0.0;
};

// Holds the values of the last readFunctionInterval.
extern FunctionInterval functionInterval;

// Counts the changes made through makeEntry and acceptLine, the only ways
// the program writes entries: a reader that keeps something derived from the
// lines checks it again only when this moved.
extern std::uint64_t recordsVersion;

// name, " = ", value. Over-long texts are cut to their fields' capacities;
// value keeps at most 59 characters, line the full composition up to 119.
DataEntry makeEntry(const char* name, const char* value);

// Stores an edited line (cut to 119 characters) and takes value from the
// fixed position length(name) + 3 on, at most 59 characters of it.
void acceptLine(DataEntry& entry, const char* text);

// Restore the built-in defaults.
void initFunctionData();
void initGraphData();

// The built-in default value of entry index (0, the header, to entries - 1).
const char* functionDefault(int index);
const char* graphDefault(int index);

// Reads x1, x2, n from the function data, computes h, stores the result in
// functionInterval and returns it.
const FunctionInterval& readFunctionInterval();
// The same from another copy of the function data (a pass's own).
const FunctionInterval& readFunctionInterval(const DataEntry* record);
// The interval of a function data record, without storing it.
FunctionInterval intervalOf(const DataEntry* record);

// The graph data entries 1 to 13, converted.
struct GraphSettings {
  double x0 = 0;
  double x1 = 0;
  double y0 = 0;
  double y1 = 0;
  int n = 0;      // curve steps
  int t1 = 0;     // major intervals along x
  int tt1 = 0;    // minor intervals per major one along x
  int t2 = 0;     // major intervals along y
  int tt2 = 0;    // minor intervals per major one along y
  int tsize = 0;  // tick size
  std::string xlab;
  std::string ylab;
  std::string title;
};

// Reads entries 1 to 13 of a graph data record by position, with the data
// texts' number rules (beside readFunctionInterval, its twin for FunctionData).
GraphSettings readGraphSettings(const DataEntry* graphData);

// Conversion rules shared by every numeric reader.
// Integer as atoi reads it (white space, sign, digits; 0 without digits),
// saturated to the 32-bit range instead of overflowing.
std::int32_t readInteger(const char* text);
// Real as atof reads it in the "C" locale, whatever the process locale is.
double readReal(const char* text);

// A number as the readers above take it, and whether the text is that number
// whole: nothing but white space around it, and (for an integer) within the
// 32-bit range. "pi" reads as 0 and "1e9" as the integer 1, neither whole.
struct NumberReading {
  double value = 0.0;
  bool whole = false;
};
NumberReading readIntegerWhole(const char* text);
NumberReading readRealWhole(const char* text);

// The whole text as std::from_chars reads a double: an optional '-', then
// decimal digits with an optional point and exponent, or "inf", "infinity"
// or "nan" with an optional "(letters, digits and _)", in any case. No white
// space, '+' or hexadecimal; false for anything else and for a number out of
// range (one that overflows, or a non-zero one that rounds to zero), as
// from_chars's result_out_of_range. (Some standard libraries have no
// from_chars for double.)
bool readDecimal(std::string_view text, double& value);

// Position of the listed entry (1 to entries - 1) whose name, without its
// blank padding, is name; -1 when there is none.
int findEntry(const DataEntry* record, int entries, std::string_view name);

}  // namespace tavex
