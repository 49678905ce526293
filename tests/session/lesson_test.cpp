// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/records.h"
#include "session/lesson.h"
#include "session/open_lesson.h"

namespace tavex {
namespace {

// Staged copies of the records at their defaults.
struct Records {
  DataEntry function[kFunctionDataEntries];
  DataEntry graph[kGraphDataEntries];
  Records() {
    for (int i = 0; i < kFunctionDataEntries; ++i)
      function[i] = makeEntry(functionData[i].name, functionDefault(i));
    for (int i = 0; i < kGraphDataEntries; ++i)
      graph[i] = makeEntry(graphData[i].name, graphDefault(i));
  }
};

std::optional<Lesson> parsed(const std::string& text) {
  LessonError error;
  std::optional<Lesson> lesson = parseLesson(text, error);
  EXPECT_TRUE(lesson) << lessonMessage("text", error);
  return lesson;
}

TEST(Lesson, EveryExampleLoadsSavesAndReloadsToTheSameRecords) {
  ASSERT_GE(bundledLessons().size(), 8u);
  for (const BundledLesson& example : bundledLessons()) {
    SCOPED_TRACE(example.name);
    const std::optional<Lesson> lesson = parsed(example.text);
    ASSERT_TRUE(lesson);
    EXPECT_FALSE(lesson->graph[kGdTitle].empty());
    Records records;
    applyLesson(*lesson, records.function, records.graph);
    std::string error;
    const std::optional<Lesson> held = lessonOfRecords(records.function, records.graph, error);
    ASSERT_TRUE(held) << error;
    EXPECT_EQ(*held, *lesson);
    const std::string text = lessonText(*held);
    const std::optional<Lesson> reloaded = parsed(text);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(*reloaded, *lesson);
    EXPECT_EQ(lessonText(*reloaded), text);
  }
}

TEST(Lesson, NamedEntriesTakeTheirValuesAndTheOthersTheirDefaults) {
  const std::optional<Lesson> lesson = parsed(
      "# tavex lesson 1\r\n"
      "  # an indented comment\r\n"
      "\t\r\n"
      "[gdata]\r\n"
      "title\t=   Fl\xC3\xA4""che x\xC2\xB2  \t\r\n"
      "ylab = Y\n"
      "[fdata]\n"
      "  x1=2 \n"
      "a = 2, q = 3\n"
      "y =\n");
  ASSERT_TRUE(lesson);
  Records records;
  records.function[kFdX2] = makeEntry("x2  ", "7");  // reset to its default by the lesson
  const std::uint64_t before = recordsVersion;
  applyLesson(*lesson, records.function, records.graph);
  EXPECT_EQ(recordsVersion, before + (kFunctionDataEntries - 1) + (kGraphDataEntries - 1));
  EXPECT_STREQ(records.function[kFdX1].line, "x1   = 2");
  EXPECT_STREQ(records.function[kFdX1].value, "2");
  EXPECT_STREQ(records.function[kFdX2].line, "x2   = 4");
  EXPECT_STREQ(records.function[kFdFirstParameter].line, "a    = 2, q = 3");
  EXPECT_STREQ(records.function[kFdFunction].line, "y    = ");
  // UTF-8 in the file, Latin-1 in the records.
  EXPECT_STREQ(records.graph[kGdTitle].value, "Fl\xE4""che x\xB2");
  // "Y" is the default "Y  " without the blanks a lesson cannot hold.
  EXPECT_STREQ(records.graph[kGdYlab].value, "Y  ");
  EXPECT_STREQ(records.graph[kGdXlab].value, "x");
}

struct BadText {
  std::string text;
  const char* message;
};

TEST(Lesson, ABadFileIsRefusedWithWhereAndWhy) {
  const std::string h = "# tavex lesson 1\n";
  const BadText cases[] = {
      {"", ":1:1: the first line must be '# tavex lesson 1'"},
      {"# tavex lesson 2\n[fdata]\n", ":1:1: the first line must be '# tavex lesson 1'"},
      {"# tavex lesson 1 \n", ":1:1: the first line must be '# tavex lesson 1'"},
      {"\xEF\xBB\xBF" + h,
       ":1:1: the first line must be '# tavex lesson 1', without a byte order mark"},
      {h + "y = x\n", ":2:1: an entry before the first section ([fdata] or [gdata])"},
      {h + "[fdata]\n [hdata]\n",
       ":3:2: unknown section '[hdata]' (the sections are [fdata] and [gdata])"},
      {h + "[fdata]\ny = x\nz = 3\n", ":4:1: unknown name 'z' in [fdata]"},
      {h + "[gdata]\ny = x\n", ":3:1: unknown name 'y' in [gdata]"},
      {h + "[fdata]\nY = x\n", ":3:1: unknown name 'Y' in [fdata]"},
      {h + "[fdata]\nn = 4\n\n  n = 5\n", ":5:3: 'n' given twice in [fdata] (first on line 3)"},
      {h + "[gdata]\ntitle = " + std::string(60, 'w') + "\n",
       ":3:9: the value of 'title' is longer than 59 characters (60)"},
      {h + "[fdata]\nx1 2\n", ":3:1: no '=' in the line (an entry is 'name = value')"},
      {h + "[fdata]\n = 2\n", ":3:2: no name before '='"},
      {h + "[gdata]\ntitle = \xC3\xA4\xE4\n", ":3:10: a byte that is not UTF-8 (0xE4)"},
      {h + "[gdata]\ntitle = \xC0\xAF\n", ":3:9: a byte that is not UTF-8 (0xC0)"},
      {h + "[gdata]\ntitle = a" + std::string(1, '\0') + "b\n", ":3:10: a NUL byte"},
      {h + "# \x01\n", ":2:3: a control character (U+0001)"},
      {h + "[fdata]\nn = 4\r\r\n", ":3:6: a CR that does not end the line"},
      {h + "[gdata]\ntitle = \xCF\x80 \n",
       ":3:9: '\xCF\x80' (U+03C0) is not a Latin-1 character, which the data boxes hold"},
      {h + std::string(kMaxLessonBytes, '#'),
       ": larger than 64 KB (a lesson has at most 65536 bytes)"},
  };
  for (const BadText& c : cases) {
    LessonError error;
    EXPECT_FALSE(parseLesson(c.text, error)) << c.message;
    EXPECT_EQ(lessonMessage("x.tavex", error), "x.tavex" + std::string(c.message));
  }
  // Comments fill a file of exactly 64 KB, which reads.
  std::string full = h;
  while (full.size() < kMaxLessonBytes) full += "# " + std::string(77, 'c') + "\n";
  full.resize(kMaxLessonBytes);
  EXPECT_TRUE(parsed(full));
}

TEST(Lesson, RecordsThatALessonCannotHoldAreNotSaved) {
  struct Case {
    int entry;  // of the function data, or -1 for the title
    std::string line;
    const char* error;
  };
  const Case cases[] = {
      {kFdFunction, "w = x*x",
       "y: its line 'w = x*x' is not 'y = VALUE', which is all a lesson holds"},
      {kFdFunction, "y == 1",
       "y: its line 'y == 1' is not 'y = VALUE', which is all a lesson holds"},
      {kFdFirstParameter, "a    = " + std::string(60, '1'),
       "a: longer than 59 characters, more than a lesson's value may be"},
      {-1, "title     = a\x01", "title: a control character (U+0001), which a lesson cannot hold"},
  };
  for (const Case& c : cases) {
    Records records;
    acceptLine(c.entry < 0 ? records.graph[kGdTitle] : records.function[c.entry], c.line.c_str());
    std::string error;
    EXPECT_FALSE(lessonOfRecords(records.function, records.graph, error)) << c.line;
    EXPECT_EQ(error, c.error);
  }
  // The function's line is what evaluation reads: its statement is kept
  // whatever the value field took from the fixed position.
  Records records;
  acceptLine(records.function[kFdFunction], "y=x*x");
  acceptLine(records.graph[kGdTitle], "title     = \xE4  ");
  std::string error;
  const std::optional<Lesson> lesson = lessonOfRecords(records.function, records.graph, error);
  ASSERT_TRUE(lesson) << error;
  EXPECT_EQ(lesson->function[kFdFunction], "x*x");
  const std::string text = lessonText(*lesson);
  EXPECT_NE(text.find("\ny = x*x\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\ntitle = \xC3\xA4\n"), std::string::npos) << text;
}

class LessonFile : public ::testing::Test {
 protected:
  // Of this test and process: tests run side by side, and a process under
  // node may not have a pid of its own.
  std::string dir = ::testing::TempDir() + "lesson_file_" + std::to_string(getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
    return dir + "/" + name;
  }
};

TEST_F(LessonFile, FilesThatDoNotReadAreNamedInTheMessage) {
  std::string error;
  EXPECT_FALSE(readLessonFile(dir, error));
  EXPECT_EQ(error, dir + ": is a folder, not a lesson file");
  EXPECT_FALSE(readLessonFile(dir + "/none.tavex", error));
  EXPECT_EQ(error, dir + "/none.tavex: cannot open: " + std::strerror(ENOENT));
  const std::string big = write("big.tavex", "# tavex lesson 1\n" + std::string(200000, '#'));
  EXPECT_FALSE(readLessonFile(big, error));
  EXPECT_EQ(error, big + ": larger than 64 KB (a lesson has at most 65536 bytes)");
  const std::string bad = write("bad.tavex", "# tavex lesson 1\n[fdata]\nz = 1\n");
  EXPECT_FALSE(readLessonFile(bad, error));
  EXPECT_EQ(error, bad + ":3:1: unknown name 'z' in [fdata]");
  // Opens, but reading it fails (address 0 is not mapped); where there is a /proc.
  if (std::filesystem::exists("/proc/self/mem")) {
    EXPECT_FALSE(readLessonFile("/proc/self/mem", error));
    EXPECT_EQ(error, std::string("/proc/self/mem: cannot read: ") + std::strerror(EIO));
  }
  if (geteuid() != 0) {  // the superuser reads any file
    const std::string locked = write("locked.tavex", "# tavex lesson 1\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    EXPECT_FALSE(readLessonFile(locked, error));
    EXPECT_EQ(error, locked + ": cannot open: " + std::strerror(EACCES));
  }
}

TEST_F(LessonFile, SavingReplacesTheFileWholeOrLeavesIt) {
  Records records;
  acceptLine(records.function[kFdSteps], "n    = 20");
  const std::string path = write("saved.tavex", "old");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  std::string error;
  ASSERT_TRUE(saveLessonFile(path, records.function, records.graph, error)) << error;
  std::string message;
  const std::optional<Lesson> lesson = readLessonFile(path, message);
  ASSERT_TRUE(lesson) << message;
  EXPECT_EQ(lesson->function[kFdSteps], "20");
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  // Records that cannot be saved, and a folder that is not there.
  acceptLine(records.function[kFdFunction], "w = 1");
  EXPECT_FALSE(saveLessonFile(path, records.function, records.graph, error));
  EXPECT_EQ(error, "cannot save '" + path +
                       "' as a lesson: y: its line 'w = 1' is not 'y = VALUE', which is all a "
                       "lesson holds");
  EXPECT_TRUE(readLessonFile(path, message));
  EXPECT_FALSE(saveLessonFile(dir + "/no/such.tavex", functionData, graphData, error));
  EXPECT_EQ(error, "cannot write '" + dir + "/no/such.tavex': " + std::strerror(ENOENT));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

TEST_F(LessonFile, TheOpenLessonIsTheLastOpenedOrSaved) {
  const std::string path = write("open.tavex", "# tavex lesson 1\n[fdata]\nn = 7\n");
  const std::string bad = write("bad.tavex", "# tavex lesson 2\n");
  std::string error;
  ASSERT_TRUE(openLessonFile(path, error)) << error;
  EXPECT_EQ(openLesson().path, path);
  EXPECT_EQ(openLesson().name, "open.tavex");
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 7");
  EXPECT_FALSE(openLessonFile(bad, error));
  EXPECT_FALSE(saveLessonAs(dir + "/no/such.tavex", error));
  EXPECT_EQ(openLesson().path, path);
  ASSERT_TRUE(openExampleLesson(0, error)) << error;
  EXPECT_EQ(openLesson().path, "");
  EXPECT_EQ(openLesson().name, bundledLessons()[0].name);
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 12");
  EXPECT_FALSE(openExampleLesson(bundledLessons().size(), error));
  // A text without a file: its name shows, messages name it.
  EXPECT_FALSE(openLessonText(std::string("# tavex lesson 1\n\0", 18), "up.tavex", error));
  EXPECT_EQ(error, "up.tavex:2:1: a NUL byte");
  EXPECT_EQ(openLesson().name, bundledLessons()[0].name);
  ASSERT_TRUE(openLessonText("# tavex lesson 1\n[fdata]\nn = 5\n", "up.tavex", error)) << error;
  EXPECT_EQ(openLesson().path, "");
  EXPECT_EQ(openLesson().name, "up.tavex");
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 5");
  ASSERT_TRUE(saveLessonAs(dir + "/saved.tavex", error)) << error;
  EXPECT_EQ(openLesson().name, "saved.tavex");
  forgetLesson();
  initFunctionData();
  initGraphData();
}

}  // namespace
}  // namespace tavex
