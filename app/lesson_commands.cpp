// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lesson_commands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/main_window.h"
#include "app/shell_globals.h"
#include "plot/dialogs.h"
#include "session/lesson.h"
#include "session/open_lesson.h"
#include "session/pass_runner.h"

namespace tavex {

LessonFileDialog* lessonFileDialog = nullptr;

namespace {

const QString kFilter = QStringLiteral("Tavex lessons (*.tavex)");

class QtLessonFileDialog : public LessonFileDialog {
 public:
  std::optional<std::string> chooseLessonToOpen(const std::string& start) override {
    const QString path = QFileDialog::getOpenFileName(mainWindow, QStringLiteral("Open Lesson"),
                                                      QFile::decodeName(start.c_str()), kFilter);
    if (path.isEmpty()) return {};
    return QFile::encodeName(path).toStdString();
  }
  std::optional<std::string> chooseLessonToSave(const std::string& suggested) override {
    QFileDialog dialog(mainWindow, QStringLiteral("Save Lesson"),
                       QFile::decodeName(suggested.c_str()), kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("tavex"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  }
};

LessonFileDialog& fileDialog() {
  static QtLessonFileDialog standard;
  return lessonFileDialog != nullptr ? *lessonFileDialog : standard;
}

// The open lesson's folder, or else the user's documents folder (or home).
QString lessonFolder() {
  if (!openLesson().path.empty())
    return QFileInfo(QFile::decodeName(openLesson().path.c_str())).absolutePath();
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

// A message of file names and lines (the file system's bytes, UTF-8 lines)
// for the message boxes, which show Latin-1: what is beyond it becomes "?".
void tell(const std::string& text, const char* caption) {
  if (dialogs != nullptr)
    dialogs->messageBox(QString::fromUtf8(text.c_str()).toLatin1().toStdString(), caption);
}

}  // namespace

void showLessonTitle() {
  if (mainWindow == nullptr) return;
  const std::string& name = openLesson().name;
  mainWindow->setWindowTitle(name.empty() ? QStringLiteral("tavex")
                                          : QStringLiteral("tavex \u2014 ") +
                                                QFile::decodeName(name.c_str()));
}

int openLessonCommand() {
  whenNoPass([] {
    const std::optional<std::string> path =
        fileDialog().chooseLessonToOpen(QFile::encodeName(lessonFolder()).toStdString());
    if (!path) return;
    std::string error;
    if (!openLessonFile(*path, error)) tell(error, "Open Lesson");
    showLessonTitle();
  });
  return 0;
}

int saveLessonCommand() {
  whenNoPass([] {
    std::string path = openLesson().path;
    if (path.empty()) {
      const std::string name = openLesson().name.empty() ? "lesson.tavex" : openLesson().name;
      const QString suggested = lessonFolder() + QLatin1Char('/') + QFile::decodeName(name.c_str());
      const std::optional<std::string> chosen =
          fileDialog().chooseLessonToSave(QFile::encodeName(suggested).toStdString());
      if (!chosen) return;
      path = *chosen;
    }
    std::string error;
    if (!saveLessonAs(path, error)) tell(error, "Save Lesson");
    showLessonTitle();
  });
  return 0;
}

int exampleCommand(int index) {
  whenNoPass([index] {
    std::string error;
    if (!openExampleLesson(static_cast<std::size_t>(index), error)) tell(error, "Examples");
    showLessonTitle();
  });
  return 0;
}

std::string exampleItemText(std::size_t index) {
  const BundledLesson& example = bundledLessons()[index];
  LessonError error;
  const std::optional<Lesson> lesson = parseLesson(example.text, error);
  std::string text = index < 9 ? "&" + std::to_string(index + 1) + " " : "";
  for (const char c : lesson ? lesson->graph[kGdTitle] : std::string(example.name))
    text += c == '&' ? "&&" : std::string(1, c);
  return text;
}

void openLessonAtStart(const std::string& path) {
  std::string error;
  if (!openLessonFile(path, error)) tell(error, "Open Lesson");
  showLessonTitle();
}

}  // namespace tavex
