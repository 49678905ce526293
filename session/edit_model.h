// SPDX-License-Identifier: GPL-3.0-or-later
// What a data box does with its record, whatever shows it: the record's lines
// as rows, the row the edit field writes back to, and accepting every row
// into the record through acceptLine (on "u" and when the box closes).
// Nothing is validated: whatever is typed becomes the row's text.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/records.h"

namespace tavex {

class RecordEditModel {
 public:
  // Longest text the edit field hands over, and the row buffer's size.
  static constexpr int kEditLimit = 118;
  static constexpr int kTextSize = 120;

  // The rows of record's lines, as many as its header counts (within the
  // record); the edit field then writes to row 0.
  void open(std::span<DataEntry> record);
  bool isOpen() const { return record_ != nullptr; }

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const std::string& row(int i) const { return rows_[static_cast<size_t>(i)]; }
  // The row the edit field writes back to.
  int index() const { return index_; }

  // A double-click on row (-1 when none is selected): it becomes the row the
  // edit field writes to. False when there is no such row (nothing changes).
  bool chooseRow(int row);
  // The text the edit field shows for the row being edited: the row, at
  // most kTextSize - 1 characters.
  std::string editText() const;
  // The edit field's text changed: it replaces the row being edited, cut to
  // kEditLimit characters.
  void edited(std::string_view text);
  // Accepts every row into its entry (row i into entry i + 1).
  void acceptAll();
  // Entry `entry` was written by the program: its row shows the new line.
  // True when that row is the one being edited (the edit field shows it too).
  bool refreshRow(int entry);
  // The box goes: every row is accepted, the rows are let go.
  void close();

 private:
  DataEntry* record_ = nullptr;
  int entries_ = 0;
  std::vector<std::string> rows_;
  int index_ = 0;
};

}  // namespace tavex
