// SPDX-License-Identifier: GPL-3.0-or-later
// A data box: a small window listing one record's lines, with an edit field
// above the list that writes every change straight back into the row last
// double-clicked, and a button "u" that accepts all rows into the record.
// Closing the box accepts them too. The rows and their rules are the box's
// RecordEditModel; the window shows them and hands it the user's actions.
#pragma once

#include <QFont>
#include <QLineEdit>
#include <QListWidget>

#include <span>

#include "data/records.h"
#include "session/edit_model.h"

class QPushButton;

namespace tavex {

class ChildWindow;

// What a control tells its box window through ChildWindow::notify: a
// double-click in the list, a change of the edit field's text, a click of
// the button.
inline constexpr int kListDoubleClick = 2;
inline constexpr int kEditUpdate = 0x400;
inline constexpr int kButtonClicked = 0;

// The list of lines: reports every double-click to its window.
class DataList : public QListWidget {
 public:
  explicit DataList(ChildWindow* window);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  ChildWindow* window_;
};

// The single-line edit field: no horizontal scrolling, so typing stops when
// the text fills the field's width; reports every change of its text.
class DataEdit : public QLineEdit {
 public:
  explicit DataEdit(ChildWindow* window);
  // Sets the text as the program does, whatever its width.
  void setText(const QString& text);
  // Pixels the text may take.
  int textRoom() const;
  // Width of the text as last changed (before an edit being validated).
  int shownWidth() const { return shownWidth_; }

 private:
  int shownWidth_ = 0;
};

class DataBox {
 public:
  // Longest text the edit field hands over, and the row buffer's size.
  static constexpr int kEditLimit = RecordEditModel::kEditLimit;
  static constexpr int kTextSize = RecordEditModel::kTextSize;

  ChildWindow* window = nullptr;
  DataList* list = nullptr;
  DataEdit* edit = nullptr;
  QPushButton* button = nullptr;
  DataEntry* record = nullptr;
  QFont font;             // fixed pitch, on the list and the edit field
  QFont fontDescription;  // the system fixed-pitch font it was made from
  // Metrics of the box window's default font, from which the layout is made.
  struct TextMetrics {
    int averageCharWidth = 0;
    int height = 0;
    int ascent = 0;
    int descent = 0;
  } textMetrics;
  char text[kTextSize] = {};
  char buttonText[40] = {};
  int built = 0;
  int entries = 0;  // entries in record, header included
  RecordEditModel model;  // the rows, the row being edited, accepting them

  // The list position of the line the edit field writes back to.
  int index() const { return model.index(); }

  // The record's header count, kept within the record.
  int count() const;

  // A notification from one of this box's controls; false when control is
  // not one of them.
  bool notify(QWidget* control, int notification);

  // Stores every row into its entry through acceptLine.
  void acceptAllRows();
  // The box's window goes: accepts every row and deletes the controls.
  void close();
  // Copies the row being edited into text and the edit field.
  void copyRowToEdit();
  // Shows record entry `entry` as it now stands in its row (after the program
  // accepted a line into it), and in the edit field when that writes to the row.
  void refreshRow(int entry);

 private:
  void writeBack();
  void closeControls();
};

// Makes a data box for record in window (a child window just opened), stores
// it in slot (the shell's fdataBox or gdataBox), then builds the controls.
// Returns the box, or null (nothing stored) without a window.
DataBox* openDataBox(std::span<DataEntry> record, const char* title, ChildWindow* window,
                     DataBox*& slot);

}  // namespace tavex
