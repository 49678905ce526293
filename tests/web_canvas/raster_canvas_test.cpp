// SPDX-License-Identifier: GPL-3.0-or-later
// The browser's canvases: the raster canvas keeps the canvas interface's
// rules, and its column memory changes no pixel; the page's messages escape
// what they carry.
#include "web/raster_canvas.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "web/json.h"
#include "web/web_plot.h"

namespace tavex {
namespace {

// Text 6 units a character, cells 15 high with an ascent of 12.
class FixedMeasure : public FontMeasure {
 public:
  TextMetrics metrics(const FontDescription&) override { return {6, 15, 12, 3}; }
  int width(const FontDescription&, std::string_view text) override {
    return 6 * static_cast<int>(text.size());
  }
};

constexpr Rgb kRed{255, 0, 0}, kBlue{0, 0, 160}, kWhite{255, 255, 255}, kGreen{0, 160, 0};

Rgb at(const RasterCanvas& c, int x, int y) {
  const std::uint32_t p = c.pixels()[y * c.width() + x];
  return Rgb{static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
             static_cast<std::uint8_t>(p >> 16)};
}

TEST(RasterCanvas, KeepsTheRulesOfTheCanvasInterface) {
  FixedMeasure measure;
  RasterCanvas c(40, 30, measure);
  c.selectPen(makePen(kRed, 1));
  c.moveTo(2, 3);
  c.lineTo(10, 3);  // the end point is left out
  EXPECT_EQ(at(c, 2, 3), kRed);
  EXPECT_EQ(at(c, 9, 3), kRed);
  EXPECT_EQ(at(c, 10, 3), kWhite);
  c.selectBrush(makeBrush(kGreen));
  c.rectangle(20, 10, 25, 15);  // outline on the outer rows and columns, inside in the brush
  EXPECT_EQ(at(c, 20, 10), kRed);
  EXPECT_EQ(at(c, 24, 14), kRed);
  EXPECT_EQ(at(c, 22, 12), kGreen);
  EXPECT_EQ(at(c, 25, 15), kWhite);
  const Region clip = makeRectRegion(Rect{0, 0, 5, 5});
  c.setClipRegion(&clip);
  c.fillRegion(makeRectRegion(Rect{0, 0, 40, 30}), makeBrush(kBlue));
  EXPECT_EQ(at(c, 4, 4), kBlue);
  EXPECT_EQ(at(c, 5, 4), kWhite);  // the clip leaves out its right and bottom
  const Region empty = makeRectRegion(Rect{3, 3, 3, 9});
  c.setClipRegion(&empty);
  c.lineTo(30, 3);
  EXPECT_EQ(at(c, 20, 3), kWhite);  // an empty clip shows nothing
  c.setClipRegion(nullptr);
  c.takeChanges();
  c.setBackgroundColour(kGreen);
  c.setTextColour(kBlue);
  c.textOut(1, 12, "ab");
  EXPECT_EQ(at(c, 12, 26), kGreen);  // the cell, 2 * 6 by 15, filled
  EXPECT_EQ(at(c, 13, 26), kWhite);
  ASSERT_EQ(c.texts().size(), 1u);
  EXPECT_EQ(c.texts()[0].baseline, 24);
  EXPECT_EQ(c.texts()[0].colour, kBlue);
  EXPECT_EQ(c.takeChanges(), (Rect{1, 12, 13, 27}));
  EXPECT_TRUE(c.texts().empty());
}

// The same random strokes with and without the column memory: many runs
// down few columns in several colours, rows across them, fills and clips.
void drawStrokes(RasterCanvas& c, unsigned seed) {
  std::mt19937 random(seed);
  const Rgb colours[] = {kRed, kBlue, kGreen, kWhite};
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 3000; ++i) {
    c.selectPen(makePen(colours[pick(4)], 1));
    const int kind = pick(20), x = 5 + pick(8), y = pick(60);
    c.moveTo(x, y);
    if (kind < 14) c.lineTo(x, pick(60));
    else if (kind < 17) c.lineTo(x + pick(9) - 4, y);
    else if (kind < 18) c.lineTo(pick(30), pick(60));
    else if (kind < 19) c.fillRegion(makeRectRegion(Rect{x, y, x + 3, y + 4}), makeBrush(kBlue));
    else {
      const Region clip = makeRectRegion(Rect{pick(10), pick(30), 10 + pick(20), 30 + pick(30)});
      c.setClipRegion(pick(2) ? &clip : nullptr);
    }
  }
}

TEST(RasterCanvas, ColumnMemoryChangesNoPixel) {
  FixedMeasure measure;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    RasterCanvas remembering(30, 60, measure), plain(30, 60, measure);
    plain.setColumnMemory(false);
    drawStrokes(remembering, seed);
    drawStrokes(plain, seed);
    ASSERT_EQ(std::vector<std::uint32_t>(remembering.pixels(), remembering.pixels() + 1800),
              std::vector<std::uint32_t>(plain.pixels(), plain.pixels() + 1800))
        << "seed " << seed;
    EXPECT_EQ(remembering.takeChanges(), plain.takeChanges());
  }
}

TEST(PageMessages, TextsAreEscapedJson) {
  EXPECT_EQ(jsonText("f\"(x) = 1\\2\t\xe9"), "\"f\\\"(x) = 1\\\\2\\u0009\\u00e9\"");
  EXPECT_EQ(JsonObject().number("n", 24).flag("on", true).raw("a", "[1]").text("s", "").str(),
            "{\"n\":24,\"on\":true,\"a\":[1],\"s\":\"\"}");
  EXPECT_EQ(jsonTexts({"a", "b"}), "[\"a\",\"b\"]");
  // The convergence study's sentences are UTF-8; a stray byte reads as Latin-1.
  EXPECT_EQ(jsonUtf8Text("\xc2\xb1 \xe2\x82\xac \xf0\x9f\x98\x80 \xff\"\n"),
            "\"\\u00b1 \\u20ac \\ud83d\\ude00 \\u00ff\\\"\\u000a\"");
}

// The picture's dpi: the screen's at 96 and on wide pictures; on a narrow
// picture of a dense screen as low as keeps the data panel's lines inside it,
// never below 96.
TEST(PageWindow, LowersTheDpiOfNarrowDensePictures) {
  FixedMeasure measure;
  const struct {
    int width;
    double dpi, used;
  } cases[] = {{390, 96, 96}, {1112, 288, 96.0 * 1112 / 560}, {742, 192, 96.0 * 742 / 560},
               {500, 192, 96}, {2400, 192, 192}};
  for (const auto& c : cases) {
    PageWindow window(measure);
    window.resize(c.width, 600, c.dpi);
    EXPECT_DOUBLE_EQ(window.dpi(), c.used) << c.width << " at " << c.dpi;
  }
}

}  // namespace
}  // namespace tavex
