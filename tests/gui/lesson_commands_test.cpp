// SPDX-License-Identifier: GPL-3.0-or-later
// "&Open Lesson...", "&Save Lesson...", "&Examples" and the lesson given at
// start, and the menus' mnemonics.
#include <QMenu>
#include <QMenuBar>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/lesson_commands.h"
#include "gui_support.h"
#include "session/lesson.h"
#include "session/open_lesson.h"

namespace tavex::testing {
namespace {

class ScriptedLessonDialog : public LessonFileDialog {
 public:
  std::optional<std::string> chooseLessonToOpen(const std::string&) override { return next(); }
  std::optional<std::string> chooseLessonToSave(const std::string& suggested) override {
    suggestions.push_back(suggested);
    return next();
  }
  std::optional<std::string> next() {
    ++asked;
    if (answers.empty()) return {};
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> suggestions;
  int asked = 0;
};

class LessonCommands : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    forgetLesson();
    lessonFileDialog = &files;
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    lessonFileDialog = nullptr;
    forgetLesson();
    GuiTest::TearDown();
    std::filesystem::remove_all(dir);
  }
  int exampleIndex(const std::string& name) {
    for (size_t i = 0; i < bundledLessons().size(); ++i)
      if (bundledLessons()[i].name == name) return static_cast<int>(i);
    ADD_FAILURE() << name;
    return 0;
  }
  std::string read(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }
  std::string title() const { return main->windowTitle().toStdString(); }

  ScriptedLessonDialog files;
  std::string dir = ::testing::TempDir() + "lesson_commands_" + std::to_string(getpid());
};

// The letter after a single "&", lower-cased; 0 when there is none.
char mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return static_cast<char>(text[i + 1].toLower().toLatin1());
    ++i;
  }
  return 0;
}

void expectOwnMnemonics(const QList<QAction*>& items, const std::string& where) {
  std::map<char, std::string> taken;
  for (QAction* item : items) {
    const char m = mnemonic(item->text());
    if (m != 0) {
      const auto [at, fresh] = taken.emplace(m, item->text().toStdString());
      EXPECT_TRUE(fresh) << where << ": " << item->text().toStdString() << " and " << at->second;
    }
    if (item->menu() != nullptr)
      expectOwnMnemonics(item->menu()->actions(), item->text().toStdString());
  }
}

TEST_F(LessonCommands, NoTwoItemsOfAMenuShareAMnemonic) {
  expectOwnMnemonics(main->menuBar()->actions(), "menu bar");
  EXPECT_EQ(mnemonic(main->commandAction(kPrintCommand)->text()), 'p');
  QMenu* data = main->menuBar()->actions()[1]->menu();
  const QList<QAction*> examples = data->actions().last()->menu()->actions();
  ASSERT_EQ(examples.size(), static_cast<qsizetype>(bundledLessons().size()));
  EXPECT_EQ(examples[exampleIndex("x-squared.tavex")]->text().toStdString(),
            "&8 x\xC2\xB2 on [0, 1], the textbook case: the area is 1/3");
}

TEST_F(LessonCommands, AnExampleSetsTheRecordsAsTypedAndSaveAsksForAFile) {
  command(kFdataCommand);
  ASSERT_EQ(programEngine().runText("lessonProbe = 5"), ParseStatus::Accepted);
  const int variables = programEngine().symbolTable().count;
  command(kFirstExampleCommand + exampleIndex("sine.tavex"));
  EXPECT_EQ(title(), "tavex \xE2\x80\x94 sine.tavex");
  EXPECT_STREQ(functionData[kFdX2].line, "x2   = 3.14159265358979");
  EXPECT_EQ(rows(fdataBox->list)[kFdX2 - 1], "x2   = 3.14159265358979");  // the open box shows it
  EXPECT_EQ(programEngine().symbolTable().count, variables);  // the variables stay

  // The example itself stays as it came: Save asks, offering its name.
  const std::string saved = dir + "/mine.tavex";
  files.answers = {saved};
  command(kSaveLessonCommand);
  ASSERT_EQ(files.suggestions.size(), 1u);
  EXPECT_TRUE(files.suggestions[0].ends_with("/sine.tavex")) << files.suggestions[0];
  EXPECT_EQ(title(), "tavex \xE2\x80\x94 mine.tavex");
  EXPECT_NE(read(saved).find("\nx2 = 3.14159265358979\n"), std::string::npos);
  // Then Save writes to it without asking.
  acceptLine(functionData[kFdSteps], "n    = 16");
  command(kSaveLessonCommand);
  EXPECT_EQ(files.asked, 1);
  EXPECT_NE(read(saved).find("\nn = 16\n"), std::string::npos);
  EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(LessonCommands, ALessonThatDoesNotReadChangesNothingAndSaysWhy) {
  const std::string bad = dir + "/bad.tavex";
  std::ofstream(bad) << "# tavex lesson 1\n[fdata]\nn = 5\nz = 3\n";
  const std::string good = dir + "/good.tavex";
  std::ofstream(good) << "# tavex lesson 1\n[fdata]\nn = 5\n";
  files.answers = {bad, std::nullopt, good};
  command(kOpenLessonCommand);
  ASSERT_EQ(scripted.shown.size(), 1u);
  EXPECT_EQ(scripted.shown[0].text, bad + ":4:1: unknown name 'z' in [fdata]");
  EXPECT_EQ(scripted.shown[0].caption, "Open Lesson");
  EXPECT_STREQ(functionData[kFdSteps].value, "12");
  EXPECT_EQ(title(), "tavex");
  command(kOpenLessonCommand);  // cancelled
  EXPECT_EQ(title(), "tavex");
  command(kOpenLessonCommand);
  EXPECT_STREQ(functionData[kFdSteps].value, "5");
  EXPECT_EQ(title(), "tavex \xE2\x80\x94 good.tavex");
  // A save that fails says so and keeps the lesson and its file.
  std::filesystem::remove(good);
  std::filesystem::create_directory(good);
  command(kSaveLessonCommand);
  ASSERT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(scripted.shown[1].caption, "Save Lesson");
  EXPECT_EQ(openLesson().path, good);
}

TEST_F(LessonCommands, TheLessonOfTheCommandLineOpensWithTheWindow) {
  openLessonAtStart(dir + "/none.tavex");
  ASSERT_EQ(scripted.shown.size(), 1u);
  EXPECT_EQ(scripted.shown[0].text, dir + "/none.tavex: cannot open: No such file or directory");
  EXPECT_EQ(title(), "tavex");
  const std::string lesson = dir + "/start.tavex";
  std::ofstream(lesson) << bundledLessons()[exampleIndex("pole.tavex")].text;
  openLessonAtStart(lesson);
  EXPECT_EQ(title(), "tavex \xE2\x80\x94 start.tavex");
  EXPECT_STREQ(functionData[kFdFunction].line, "y    = 1/(x - 1)");
}

}  // namespace
}  // namespace tavex::testing
