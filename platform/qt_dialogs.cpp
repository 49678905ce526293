// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QVBoxLayout>

namespace tavex {

namespace {

// The program's texts are 8-bit; Latin-1 reads them unchanged.
QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtDialogs::messageBox(std::string_view text, std::string_view caption) {
  // A box of its own rather than QMessageBox, which rewraps long lines: the
  // text keeps its own line breaks and tabs, and the box grows to fit it.
  QDialog box(owner_);
  box.setWindowTitle(latin1(caption));
  auto* label = new QLabel(latin1(text), &box);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(label);
  layout->addWidget(buttons);
  box.exec();
}

bool QtDialogs::askYesNo(std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::NoIcon, latin1(caption), latin1(text),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setTextFormat(Qt::PlainText);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace tavex
