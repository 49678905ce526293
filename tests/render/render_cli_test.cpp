// tavex --render: the picture of one screen draw pass in a file.
#include <gtest/gtest.h>

#include <QImage>
#include <fstream>
#include <string>

#include "../cli/run_tavex.h"

namespace {

using tavex_test::runTavexProgram;

std::string tempPath(const std::string& name) { return ::testing::TempDir() + name; }

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

TEST(RenderCommandLine, PngShowsThePanelsTheCurveAndPrintsTheDataPanel) {
  const std::string file = tempPath("tavex_render.png");
  auto r = runTavexProgram({"--render", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 9), "a    = 1\n");
  EXPECT_NE(r.out.find("Exact = 5.1646028130\n"), std::string::npos);
  QImage image(QString::fromStdString(file));
  ASSERT_EQ(image.size(), QSize(800, 600));
  // Panel fills in their colours: graph (10-60 %, 20-78 %), data, function.
  EXPECT_EQ(image.pixel(120, 450), rgb(255, 230, 255));
  EXPECT_EQ(image.pixel(700, 480), rgb(230, 255, 255));
  EXPECT_EQ(image.pixel(400, 100), rgb(255, 230, 200));
  EXPECT_EQ(image.pixel(5, 5), rgb(255, 255, 255));
  // The graph panel's border pen and the curve's red somewhere in the panel.
  EXPECT_EQ(image.pixel(80, 300), rgb(0, 160, 0));
  int red = 0, cyan = 0, magenta = 0;
  for (int y = 132; y < 480; ++y)
    for (int x = 81; x < 479; ++x) {
      const QRgb p = image.pixel(x, y);
      red += p == rgb(255, 0, 0);
      cyan += p == rgb(0, 255, 255);
      magenta += p == rgb(255, 0, 255);
    }
  EXPECT_GT(red, 400);
  EXPECT_GT(cyan, 100);
  EXPECT_GT(magenta, 100);
}

TEST(RenderCommandLine, WideRenderHasEveryColourAtItsPlace) {
  const std::string file = tempPath("tavex_render_wide.png");
  auto r = runTavexProgram({"--render", file, "--size", "1000x500"});
  ASSERT_EQ(r.status, 0) << r.err;
  QImage image(QString::fromStdString(file));
  ASSERT_EQ(image.size(), QSize(1000, 500));
  // Graph panel 100-600 x 110-400, data panel 620-980 x 140-425, function
  // panel 100-600 x 50-95.
  EXPECT_EQ(image.pixel(590, 150), rgb(255, 230, 255));
  EXPECT_EQ(image.pixel(900, 400), rgb(230, 255, 255));
  EXPECT_EQ(image.pixel(550, 85), rgb(255, 230, 200));
  EXPECT_EQ(image.pixel(5, 5), rgb(255, 255, 255));
  EXPECT_EQ(image.pixel(990, 490), rgb(255, 255, 255));
  // The grid line at x = 1 (device 200) runs from the axis up to the curve.
  EXPECT_EQ(image.pixel(200, 380), rgb(0, 255, 0));
  int colours[4] = {0, 0, 0, 0};
  const QRgb wanted[4] = {rgb(255, 0, 0), rgb(0, 255, 255), rgb(255, 0, 255), rgb(0, 255, 0)};
  for (int y = 111; y < 399; ++y)
    for (int x = 101; x < 599; ++x)
      for (int k = 0; k < 4; ++k) colours[k] += image.pixel(x, y) == wanted[k];
  for (int k = 0; k < 4; ++k) EXPECT_GT(colours[k], 150) << k;
}

TEST(RenderCommandLine, SizeAndDataEditsChangeThePicture) {
  const std::string file = tempPath("tavex_render_small.png");
  auto r = runTavexProgram({"--render", file, "--size", "400x300", "--fdata", "n=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "a    = 1\nb    = 1\nc    = 1\nd    = 1\ne    = 1\n");
  QImage image(QString::fromStdString(file));
  EXPECT_EQ(image.size(), QSize(400, 300));
}

TEST(RenderCommandLine, SvgAndPdfAreWritten) {
  for (const char* name : {"tavex_render.svg", "tavex_render.pdf"}) {
    SCOPED_TRACE(name);
    const std::string file = tempPath(name);
    std::remove(file.c_str());
    auto r = runTavexProgram({"--render", file});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(file, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_TRUE(head == "%PDF-" || head.rfind("<?xm", 0) == 0) << head;
  }
}

TEST(RenderCommandLine, BadFilesAndSizesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--render", tempPath("tavex_render.gif")},
      {"--render", "/nonexistent-dir/plot.png"},
      {"--render", tempPath("x.png"), "--size", "0x10"},
      {"--render", tempPath("x.png"), "--size", "800"},
      {"--sums", "--size", "10x10"},
      {"--render"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    auto r = runTavexProgram(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("tavex: "), std::string::npos);
  }
}

}  // namespace
