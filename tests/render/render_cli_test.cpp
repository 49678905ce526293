// SPDX-License-Identifier: GPL-3.0-or-later
// tavex --render: the picture of one screen draw pass in a file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

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

// --rule: each rule's picture of sin(x) on [0, 6], blue above the axis and
// orange below, the readouts those of the default picture.
TEST(RenderCommandLine, EachRulesPictureInAFile) {
  const std::vector<std::string> data = {"--fdata", "y=sin(x)", "--fdata", "x1=0", "--fdata", "x2=6",
                                         "--gdata", "y0=-1.5", "--gdata", "x1=6.5"};
  std::vector<std::string> plain = {"--render", tempPath("tavex_rule_default.png")};
  plain.insert(plain.end(), data.begin(), data.end());
  const auto expected = runTavexProgram(plain);
  for (const char* rule : {"left", "right", "midpoint", "trapezoid", "simpson"}) {
    SCOPED_TRACE(rule);
    const std::string file = tempPath(std::string("tavex_rule_") + rule + ".png");
    std::vector<std::string> args = {"--render", file, "--rule", rule};
    args.insert(args.end(), data.begin(), data.end());
    const auto r = runTavexProgram(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected.out);
    QImage image(QString::fromStdString(file));
    int above = 0, below = 0;
    for (int y = 132; y < 480; ++y)
      for (int x = 81; x < 479; ++x) {
        above += image.pixel(x, y) == rgb(205, 225, 255);
        below += image.pixel(x, y) == rgb(255, 225, 190);
      }
    EXPECT_GT(above, 1000);
    EXPECT_GT(below, 1000);
  }
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

// A scratch folder of this test process's own.
std::string scratchFolder(const std::string& name) {
  const std::string folder = tempPath(name + "_" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  return folder;
}

std::string contentOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RenderCommandLine, AFailedOrKilledRenderLeavesTheOldFile) {
  const std::string folder = scratchFolder("tavex_render_fail");
  const std::vector<std::string> files = {folder + "/old.png", folder + "/old.svg",
                                          folder + "/old.pdf"};
  // Files of at most 1 KiB: a write past that fails, or kills the program.
  for (const std::string& file : files) {
    std::ofstream(file) << "old";
    auto r = tavex_test::runTavexInShell("trap '' XFSZ; ulimit -f 1; exec ", {"--render", file}, "");
    EXPECT_EQ(r.status, 2) << file;
    EXPECT_NE(r.err.find("tavex: --render: cannot write '" + file + "': File too large"),
              std::string::npos) << r.err;
    EXPECT_EQ(contentOf(file), "old");
  }
  // Nothing left beside them.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
  for (const std::string& file : files) {
    auto r = tavex_test::runTavexInShell("ulimit -f 1; exec ", {"--render", file}, "");
    EXPECT_EQ(r.status, -1) << file;  // killed by the signal
    EXPECT_EQ(contentOf(file), "old");
  }
  std::filesystem::remove_all(folder);
}

TEST(RenderCommandLine, LinksStayAndDevicesAreWrittenInPlace) {
  const std::string folder = scratchFolder("tavex_render_link");
  const std::string link = folder + "/link.png";
  std::filesystem::create_symlink("picture.png", link);
  auto r = runTavexProgram({"--render", link, "--fdata", "y=sin("});
  EXPECT_EQ(r.status, 1);  // written, but f failed
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(QImage(QString::fromStdString(folder + "/picture.png")).size(), QSize(800, 600));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);

  const std::string full = folder + "/full.pdf";
  std::filesystem::create_symlink("/dev/full", full);
  r = runTavexProgram({"--render", full});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  EXPECT_EQ(std::filesystem::read_symlink(full), "/dev/full");
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  std::filesystem::remove_all(folder);
}

TEST(RenderCommandLine, PipesGetThePictureOrAReasonWithoutWaitingOrDying) {
  const std::string folder = scratchFolder("tavex_render_pipe");
  const std::string out = folder + "/out.svg";  // standard output, named with a type
  std::filesystem::create_symlink("/dev/stdout", out);
  auto r = runTavexProgram({"--render", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<?xml", 0), 0u);

  const std::string fifo = folder + "/pipe.svg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  r = runTavexProgram({"--render", fifo});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("tavex: --render: cannot write '" + fifo + "': no reader on the pipe"),
            std::string::npos) << r.err;

  // A reader that goes away once the picture starts to come.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  std::thread leave([reader] {
    pollfd wait{reader, POLLIN, 0};
    poll(&wait, 1, 30000);
    close(reader);
  });
  r = runTavexProgram({"--render", fifo, "--fdata", "n=1000"});  // more than the pipe holds
  leave.join();
  EXPECT_EQ(r.status, 2);  // not killed by SIGPIPE
  EXPECT_NE(r.err.find("tavex: --render: cannot write '" + fifo + "': Broken pipe"),
            std::string::npos) << r.err;
  std::filesystem::remove_all(folder);
}

TEST(RenderCommandLine, BadFilesAndSizesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--render", tempPath("tavex_render.gif")},
      {"--render", "/nonexistent-dir/plot.png"},
      {"--render", tempPath("x.png"), "--size", "0x10"},
      {"--render", tempPath("x.png"), "--size", "800"},
      {"--render", tempPath("x.png"), "--size", "20000x20000"},  // more pixels than memory allows
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
