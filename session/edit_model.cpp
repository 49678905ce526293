// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/edit_model.h"

#include <algorithm>
#include <cstring>

namespace tavex {

namespace {

std::string lineOf(const DataEntry& entry) {
  return std::string(entry.line, strnlen(entry.line, DataEntry::kLineSize - 1));
}

}  // namespace

void RecordEditModel::open(std::span<DataEntry> record) {
  record_ = record.data();
  entries_ = static_cast<int>(record.size());
  const int count =
      std::clamp(static_cast<int>(readInteger(record[0].value)), 0, std::max(0, entries_ - 1));
  rows_.clear();
  for (int i = 1; i <= count; ++i) rows_.push_back(lineOf(record[static_cast<size_t>(i)]));
  index_ = 0;
}

bool RecordEditModel::chooseRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  index_ = row;
  return true;
}

std::string RecordEditModel::editText() const {
  if (index_ < 0 || index_ >= rowCount()) return {};
  return row(index_).substr(0, kTextSize - 1);
}

void RecordEditModel::edited(std::string_view text) {
  if (index_ < 0 || index_ >= rowCount()) return;
  rows_[static_cast<size_t>(index_)] = std::string(text.substr(0, kEditLimit));
}

void RecordEditModel::acceptAll() {
  if (record_ == nullptr) return;
  const int rows = std::min(rowCount(), entries_ - 1);
  for (int i = 0; i < rows; ++i)
    acceptLine(record_[i + 1], row(i).substr(0, kTextSize - 1).c_str());
}

bool RecordEditModel::refreshRow(int entry) {
  if (record_ == nullptr) return false;
  const int r = entry - 1;
  if (entry < 1 || entry >= entries_ || r >= rowCount()) return false;
  rows_[static_cast<size_t>(r)] = lineOf(record_[entry]);
  return r == index_;
}

void RecordEditModel::close() {
  acceptAll();
  record_ = nullptr;
  entries_ = 0;
  rows_.clear();
  index_ = 0;
}

}  // namespace tavex
