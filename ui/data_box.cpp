// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/data_box.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>
#include <cstring>

#include "platform/child_window.h"
#include "platform/edge_sizer.h"

namespace tavex {

namespace {

// The records' texts are 8-bit; Latin-1 maps them one to one.
// Copies text as 8-bit characters into buffer, at most limit of them.
void toBuffer(const QString& text, char* buffer, int limit) {
  const QByteArray bytes = text.toLatin1();
  const int n = std::min(static_cast<int>(bytes.size()), limit);
  std::memcpy(buffer, bytes.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
}

// Refuses an edit that makes the text wider than the field can show; one
// that does not widen it (a deletion, say) always passes, so an over-wide
// text set by the program can still be shortened.
class FitsFieldValidator : public QValidator {
 public:
  explicit FitsFieldValidator(DataEdit* edit) : QValidator(edit), edit_(edit) {}
  State validate(QString& input, int&) const override {
    const int wanted = edit_->fontMetrics().horizontalAdvance(input);
    if (wanted > edit_->textRoom() && wanted > edit_->shownWidth()) return Invalid;
    return Acceptable;
  }

 private:
  DataEdit* edit_;
};

}  // namespace

DataList::DataList(ChildWindow* window) : QListWidget(window), window_(window) {}

void DataList::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  window_->notify(this, kListDoubleClick);
}

DataEdit::DataEdit(ChildWindow* window) : QLineEdit(window) {
  setValidator(new FitsFieldValidator(this));
  // The field's text has already changed when the validator sees an edit:
  // keep the width of the text before it.
  connect(this, &QLineEdit::textChanged, this,
          [this](const QString& text) { shownWidth_ = fontMetrics().horizontalAdvance(text); });
  connect(this, &QLineEdit::textChanged, this, [this, window] { window->notify(this, kEditUpdate); });
}

void DataEdit::setText(const QString& text) {
  // The validator sees the program's own texts too; any width passes for them.
  shownWidth_ = fontMetrics().horizontalAdvance(text);
  QLineEdit::setText(text);
}

int DataEdit::textRoom() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  const QMargins margins = textMargins();
  // The field keeps 2 pixels free on either side of its text and 1 for the
  // cursor.
  return contents.width() - margins.left() - margins.right() - 2 * 2 - 1;
}

int DataBox::count() const {
  if (record == nullptr) return 0;
  return std::clamp(static_cast<int>(readInteger(record[0].value)), 0, std::max(0, entries - 1));
}

bool DataBox::notify(QWidget* control, int notification) {
  if (control == nullptr) return false;
  if (control == list) {
    // A double-click where no row is selected leaves the edit target as it is.
    if (notification == kListDoubleClick) {
      const int row = list->currentRow();
      if (model.chooseRow(row >= 0 && list->item(row)->isSelected() ? row : -1)) copyRowToEdit();
    }
    return true;
  }
  if (control == edit) {
    if (notification == kEditUpdate) writeBack();
    return true;
  }
  if (control == button) {
    if (notification == kButtonClicked) acceptAllRows();
    return true;
  }
  return false;
}

void DataBox::copyRowToEdit() {
  const std::string row = model.editText();
  std::memcpy(text, row.c_str(), row.size() + 1);
  edit->setText(QString::fromLatin1(text));
  // The field does not scroll: it shows the text from its start.
  edit->setCursorPosition(0);
}

void DataBox::refreshRow(int entry) {
  if (built != 1 || list == nullptr) return;
  const bool edited = model.refreshRow(entry);
  const int row = entry - 1;
  if (row < 0 || row >= model.rowCount() || row >= list->count()) return;
  list->item(row)->setText(QString::fromLatin1(model.row(row).c_str()));
  if (edited) copyRowToEdit();
}

void DataBox::writeBack() {
  toBuffer(edit->text(), text, kEditLimit);
  const int index = model.index();
  if (index < 0 || index >= list->count()) return;
  model.edited(text);
  list->insertItem(index, QString::fromLatin1(text));
  delete list->takeItem(index + 1);
  list->setCurrentRow(index);
}

void DataBox::acceptAllRows() { model.acceptAll(); }

void DataBox::close() {
  if (built != 1) return;
  model.close();
  closeControls();
  built = 0;
}

void DataBox::closeControls() {
  delete list;
  delete edit;
  delete button;
  list = nullptr;
  edit = nullptr;
  button = nullptr;
}

namespace {

// The list, the button and the edit field, placed from the window font's
// cell height H and average width W, with the fixed-pitch font on the list
// and the field.
void buildControls(DataBox& box, std::span<DataEntry> record, ChildWindow* window) {
  const int count = box.count();
  int longest = 0;
  for (int i = 0; i <= count; ++i)
    longest = std::max(longest, static_cast<int>(strnlen(record[i].line, DataEntry::kLineSize)));
  const int H = box.textMetrics.height;
  const int W = box.textMetrics.averageCharWidth;
  const int listWidth = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + longest * W;

  box.list = new DataList(window);
  box.list->setGeometry(W, 3 * H, listWidth, (count + 1) * H);
  box.list->setSelectionMode(QAbstractItemView::SingleSelection);
  box.list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  box.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box.list->setUniformItemSizes(true);
  box.list->setTextElideMode(Qt::ElideNone);  // long rows are cut at the edge
  EdgeSizer::attach(box.list);

  box.button = new QPushButton(QString::fromLatin1(box.buttonText), window);
  box.button->setGeometry(W, 3 * H - static_cast<int>(1.1 * H), 2 * W, H);
  QPushButton* button = box.button;
  QObject::connect(button, &QPushButton::clicked, button,
                   [window, button] { window->notify(button, kButtonClicked); });

  box.edit = new DataEdit(window);
  box.edit->setGeometry(W, 3 * H - static_cast<int>(2.5 * H), listWidth, H);
  EdgeSizer::attach(box.edit);

  box.fontDescription = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  box.font = QFont(box.fontDescription);
  // Spelled out, so that the controls do not take them from the window's font.
  box.font.setWeight(box.fontDescription.weight());
  box.font.setStyle(box.fontDescription.style());
  box.list->setFont(box.font);
  box.edit->setFont(box.font);
}

}  // namespace

DataBox* openDataBox(std::span<DataEntry> record, const char* title, ChildWindow* window,
                     DataBox*& slot) {
  if (window == nullptr) return nullptr;

  auto* box = new DataBox;
  box->window = window;
  if (title != nullptr) window->setWindowTitle(QString::fromLatin1(title));

  // Sizes come from the window's own default font.
  const QFontMetrics metrics(window->font());
  box->textMetrics.height = metrics.height();
  box->textMetrics.averageCharWidth = metrics.averageCharWidth();
  box->textMetrics.ascent = metrics.ascent();
  box->textMetrics.descent = metrics.descent();
  std::strcpy(box->buttonText, "u");
  box->built = 0;
  slot = box;

  box->record = record.data();
  box->entries = static_cast<int>(record.size());
  buildControls(*box, record, window);
  box->model.open(record);
  for (int i = 0; i < box->model.rowCount(); ++i)
    box->list->insertItem(i, QString::fromLatin1(box->model.row(i).c_str()));

  if (box->list->count() > 0) {
    box->list->setCurrentRow(0);
    box->copyRowToEdit();
  }
  box->list->show();
  box->button->show();
  box->edit->show();
  box->built = 1;
  return box;
}

}  // namespace tavex
