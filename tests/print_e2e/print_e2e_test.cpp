// SPDX-License-Identifier: GPL-3.0-or-later
// Printing through the real print service: a private CUPS scheduler with a
// cups-pdf queue as the default printer. The pages come back as PDF files,
// which are rasterised and looked at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "platform/paint_device_window.h"
#include "platform/qt_print_service.h"
#include "plot/scripted_dialogs.h"
#include "plot/plot.h"
#include "plot/print.h"

namespace tavex {
namespace {

// The program's engine, for this test program.
ExpressionEngine& testEngine() {
  static ExpressionEngine engine;
  return engine;
}

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// PDFs of jobs whose name contains the given one (tests print in parallel).
int pdfCount(const char* documentName) {
  return static_cast<int>(QDir(QString::fromStdString(env("TAVEX_CUPS_DIR") + "/out"))
                              .entryList({QString("*%1*.pdf").arg(documentName)}, QDir::Files)
                              .size());
}

// Waits for the job's PDF and rasterises its first page.
QImage printedPage(const std::string& documentName, int& pages) {
  const std::string pdf = run("sh '" + env("TAVEX_CUPS_SANDBOX") + "' wait-pdf '" +
                              env("TAVEX_CUPS_DIR") + "' 60 " + documentName);
  pages = std::atoi(run("pdfinfo '" + pdf + "' | sed -n 's/^Pages: *//p'").c_str());
  const std::string png = ::testing::TempDir() + documentName;
  run("pdftoppm -r 30 -png -singlefile '" + pdf + "' '" + png + "' 2>/dev/null");
  return QImage(QString::fromStdString(png + ".png"));
}

bool near(QRgb p, int r, int g, int b, int tolerance = 12) {
  return std::abs(qRed(p) - r) <= tolerance && std::abs(qGreen(p) - g) <= tolerance &&
         std::abs(qBlue(p) - b) <= tolerance;
}

// Share of the pixels in a box (fractions of the page, from the top left)
// that are near a colour.
double share(const QImage& page, double x0, double y0, double x1, double y1, int r, int g, int b) {
  int hits = 0, all = 0;
  for (int y = static_cast<int>(y0 * page.height()); y < static_cast<int>(y1 * page.height()); ++y)
    for (int x = static_cast<int>(x0 * page.width()); x < static_cast<int>(x1 * page.width()); ++x) {
      ++all;
      hits += near(page.pixel(x, y), r, g, b);
    }
  return all ? static_cast<double>(hits) / all : 0.0;
}

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (env("TAVEX_CUPS_DIR").empty()) GTEST_SKIP() << "needs the private print scheduler (run by ctest)";
    initFunctionData();
    initGraphData();
    mainImage.fill(Qt::black);
  }
  void print(std::initializer_list<bool> answers, const char* documentName,
             PassMonitor* monitor = nullptr) {
    script.answers.assign(answers.begin(), answers.end());
    service.documentName = documentName;
    PaintDeviceWindow mainWindow(&mainImage, 640, 480);
    GraphFrame frame(&mainWindow);
    printPlot(PlotContext{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData, .monitor = monitor}, frame, script, service);
  }
  std::string lastMessage() {
    return script.shown.empty() ? "" : script.shown.back().text + " | " + script.shown.back().caption;
  }

  ScriptedDialogs script;
  QtPrintService service;
  QImage mainImage{640, 480, QImage::Format_RGB32};
};

TEST_F(Printing, YesYesGivesOneColourPageInThePaperLayout) {
  print({true, true}, "TavexColourPage");
  ASSERT_EQ(script.shown.size(), 3u);
  EXPECT_EQ(script.shown[0].text, "TavexPDF");
  EXPECT_EQ(script.shown[0].caption, "Shall we print to ");
  EXPECT_EQ(lastMessage(), "Printing is Finished | Note");
  int pages = 0;
  const QImage page = printedPage("TavexColourPage", pages);
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(pages, 1);
  // Graph panel fill between 35 % and 78 % from the bottom, data panel fill
  // between 30 % and 72 %: look well inside each, and just under the graph
  // panel, where the screen layout would still have it.
  EXPECT_GT(share(page, 0.15, 0.40, 0.55, 0.60, 255, 230, 255), 0.5);
  EXPECT_GT(share(page, 0.70, 0.50, 0.95, 0.66, 230, 255, 255), 0.5);
  EXPECT_LT(share(page, 0.15, 0.71, 0.55, 0.76, 255, 230, 255), 0.02);
  // The main window was cleared white when the command started.
  EXPECT_EQ(mainImage.pixel(320, 240), qRgb(255, 255, 255));
}

TEST_F(Printing, YesNoGivesOneBlackAndWhitePage) {
  print({true, false}, "TavexMonoPage");
  EXPECT_EQ(lastMessage(), "Printing is Finished | Note");
  int pages = 0;
  const QImage page = printedPage("TavexMonoPage", pages);
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(pages, 1);
  int coloured = 0, dark = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb p = page.pixel(x, y);
      coloured += std::abs(qRed(p) - qGreen(p)) > 16 || std::abs(qGreen(p) - qBlue(p)) > 16;
      dark += qGray(p) < 128;
    }
  EXPECT_EQ(coloured, 0);
  EXPECT_GT(dark, 200);  // borders, curve, rectangles and text in black
}

TEST_F(Printing, NoStartsNoJobAndDrawsThePaperLayoutInTheMainWindow) {
  print({false}, "TavexNotPrinted");
  EXPECT_EQ(script.shown.size(), 1u);  // the first question only, no closing message
  // Graph panel from 35 %: filled down to 65 % of 480 from the top.
  EXPECT_EQ(mainImage.pixel(100, 300), qRgb(255, 230, 255));
  EXPECT_EQ(mainImage.pixel(100, 330), qRgb(255, 255, 255));
  run("sleep 1");
  EXPECT_EQ(pdfCount("TavexNotPrinted"), 0);
}

TEST_F(Printing, ACancelledPassPrintsNothingAndSaysSo) {
  struct CancelHalfway : PassMonitor {
    void progress(long long made, long long) override {
      if (made > 400) throw PassCancelled{};
    }
  } halfway;
  print({true, true}, "TavexCancelled", &halfway);
  EXPECT_EQ(lastMessage(), std::string(kCancelledText) + " | Note");
  run("sleep 2");
  EXPECT_EQ(pdfCount("TavexCancelled"), 0);
}

TEST_F(Printing, NoPrinterConfiguredIsSaidPlainly) {
  print({true, true}, "TavexNoPrinter");
  ASSERT_EQ(script.shown.size(), 1u);
  EXPECT_EQ(script.shown[0].kind, ScriptedDialogs::Kind::Message);
  EXPECT_EQ(script.shown[0].text, kNoPrinterText);
}

}  // namespace
}  // namespace tavex

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
