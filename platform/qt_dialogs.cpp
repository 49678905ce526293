#include "platform/qt_dialogs.h"

#include <QMessageBox>
#include <QString>

namespace tavex {

namespace {

// The program's texts are 8-bit; Latin-1 reads them unchanged.
QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

int runBox(QWidget* owner, std::string_view text, std::string_view caption,
           QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, latin1(caption), latin1(text), buttons, owner);
  box.setTextFormat(Qt::PlainText);  // shown as written, tabs included
  return box.exec();
}

}  // namespace

void QtDialogs::messageBox(std::string_view text, std::string_view caption) {
  runBox(owner_, text, caption, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(std::string_view text, std::string_view caption) {
  return runBox(owner_, text, caption, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tavex
