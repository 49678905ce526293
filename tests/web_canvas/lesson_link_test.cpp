// SPDX-License-Identifier: GPL-3.0-or-later
// Lessons in links: the fragment's percent-encoding undone, broken
// encodings and over-long fragments refused.
#include "web/lesson_link.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "session/lesson.h"

namespace tavex {
namespace {

TEST(LessonLink, DecodesAsDecodeUriComponentAndRefusesBrokenEncodings) {
  const struct {
    std::string link;
    std::optional<std::string> bytes;  // empty: refused
    int at = 0;
  } cases[] = {
      {"%23%20tavex%20lesson%201%0A[fdata]%0Ay%20%3D%20x%2Bx", "# tavex lesson 1\n[fdata]\ny = x+x"},
      {"a+b%c3%A9%00", std::string("a+b\xc3\xa9\0", 6)},
      {"", ""},
      {"abc%", std::nullopt, 4},
      {"abc%4", std::nullopt, 4},
      {"%zz", std::nullopt, 1},
      {"x%4g", std::nullopt, 2},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::optional<std::string> bytes = percentDecoded(c.link, error);
    EXPECT_EQ(bytes, c.bytes) << c.link;
    if (!c.bytes) {
      EXPECT_EQ(error, "link: broken percent-encoding at character " + std::to_string(c.at) +
                           " (\"%\" needs two hex digits after it)");
    }
  }
}

TEST(LessonLink, AnOverLongLinkDecodesPastTheLimitAndNoFurther) {
  std::string link;
  for (std::size_t i = 0; i < maxLessonLinkChars() / 3; ++i) link += "%41";
  link += "%";  // cut where the page cut it: not read, as the text is too long already
  std::string error;
  const std::optional<std::string> bytes = percentDecoded(link, error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(bytes->size(), kMaxLessonBytes + 1);
  LessonError where;
  EXPECT_FALSE(parseLesson(*bytes, where));
  EXPECT_EQ(where.what, "larger than 64 KB (a lesson has at most 65536 bytes)");
}

}  // namespace
}  // namespace tavex
