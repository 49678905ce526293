// SPDX-License-Identifier: GPL-3.0-or-later
// The position rule of the expression language: where the next character of
// a text stands after one is consumed. Shared by the parser and by the
// function evaluator, which maps a reported position back to its entry.
#pragma once

namespace tavex {

// A newline starts a new line at column 1, a tab moves to the next stop of
// 8 (columns 1, 9, 17, ...), form feed and carriage return do not move, and
// every other character (vertical tab included) moves one column.
inline void advance(unsigned char c, int& line, int& column) {
  if (c > '\r') {
    ++column;
    return;
  }
  switch (c) {
    case '\n':
      ++line;
      column = 1;
      break;
    case '\t':
      column += 8 - ((column - 1) % 8);
      break;
    case '\f':
    case '\r':
      break;
    default:
      ++column;
  }
}

}  // namespace tavex
