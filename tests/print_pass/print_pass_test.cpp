// SPDX-License-Identifier: GPL-3.0-or-later
// The print pass: the two questions, the paper layout, colour or black and
// white, one page, and what the user is told — against a fake print service.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "graphics/recording_canvas.h"
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

struct FakePrinter : PrinterDevice {
  RecordingCanvas* canvas_;
  std::vector<std::string>* log;
  std::string failAt;
  FakePrinter(RecordingCanvas* c, std::vector<std::string>* l, std::string fail)
      : canvas_(c), log(l), failAt(std::move(fail)) {}
  Canvas* canvas() override { return canvas_; }
  int pixelWidth() override { return 4800; }
  int pixelHeight() override { return 6600; }
  bool step(const char* what) {
    log->push_back(what);
    return failAt != what;
  }
  bool startDocument() override { return step("startDocument"); }
  bool startPage() override { return step("startPage"); }
  bool endPage() override { return step("endPage"); }
  bool endDocument() override { return step("endDocument"); }
  bool abort() override { return step("abort"); }
  std::string error() override { return failAt + " failed"; }
};

struct FakeService : PrintService {
  std::string name = "Office Laser";
  bool openFails = false;
  std::string failAt;
  RecordingCanvas paper;
  std::vector<std::string> log;
  int created = 0;
  std::string defaultPrinterName() override { return name; }
  std::unique_ptr<PrinterDevice> createPrinter(const std::string& n, std::string& error) override {
    log.push_back("create " + n);
    if (openFails) {
      error = "the printer is offline";
      return nullptr;
    }
    ++created;
    paper.deviceResolution.logicalDpiX = paper.deviceResolution.logicalDpiY = 600;
    return std::make_unique<FakePrinter>(&paper, &log, failAt);
  }
};

class PrintPass : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
  }
  void print(std::vector<bool> answers) {
    script.answers.assign(answers.begin(), answers.end());
    GraphFrame frame(&mainWindow);
    last = printPlot(PlotContext{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData}, frame, script, service);
    EXPECT_EQ(frame.printing, 0);
    EXPECT_EQ(frame.colourOutput, 1);
    EXPECT_EQ(frame.penWidth, 1);
    EXPECT_EQ(frame.dc, nullptr);
    EXPECT_EQ(mainWindow.acquired, 0);
  }
  std::vector<std::string> shownTexts() {
    std::vector<std::string> out;
    for (const auto& s : script.shown) out.push_back(s.text + " | " + s.caption);
    return out;
  }
  static bool anyColour(const RecordingCanvas& c) {
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    for (const auto& call : c.calls()) {
      if (call.kind == CallKind::LineTo || call.kind == CallKind::Rectangle)
        if (!(call.pen.colour == black)) return true;
      if (call.kind == CallKind::FillRegion && !(call.brush.colour == white)) return true;
      if (call.kind == CallKind::TextOut && !(call.textColour == black)) return true;
    }
    return false;
  }

  ScriptedDialogs script;
  FakeService service;
  RecordingWindow mainWindow{640, 480};
  PassResult last;
};

TEST_F(PrintPass, YesYesPrintsOneColourPageInThePaperLayout) {
  print({true, true});
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Office Laser | Shall we print to ",
                                                     "Colour ? | Notice",
                                                     "Printing is Finished | Note"}));
  EXPECT_EQ(service.log, (std::vector<std::string>{"create Office Laser", "startDocument",
                                                    "startPage", "endPage", "endDocument"}));
  // Graph panel from 35 % to 78 % of the printable height, filled pink.
  // The graph panel's border is the first rectangle, filled with its brush.
  const auto rects = service.paper.callsOf(CallKind::Rectangle);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects[0].rect, (Rect{480, 1452, 2880, 4290}));
  EXPECT_EQ(rects[0].brush.colour, (Rgb{255, 230, 255}));
  EXPECT_EQ(rects[0].pen.colour, (Rgb{0, 160, 0}));
  EXPECT_TRUE(anyColour(service.paper));
  for (const auto& l : service.paper.callsOf(CallKind::LineTo)) ASSERT_EQ(l.pen.width, 3);
  // The paper font: 14 points high, 16 wide, scaled at the printer's 600 dpi.
  const auto fonts = service.paper.callsOf(CallKind::CreateFont);
  ASSERT_FALSE(fonts.empty());
  EXPECT_EQ(fonts.front().font.faceName, "Times New Roman");
  // The main window was cleared white before the first question, and nothing else.
  const auto screenFills = mainWindow.canvas.callsOf(CallKind::FillRegion);
  ASSERT_EQ(screenFills.size(), 1u);
  EXPECT_EQ(screenFills[0].rect, (Rect{0, 0, 640, 480}));
  EXPECT_TRUE(mainWindow.canvas.callsOf(CallKind::TextOut).empty());
  EXPECT_EQ(last.probeEnabled, 0);
}

TEST_F(PrintPass, YesNoPrintsBlackOnWhite) {
  print({true, false});
  EXPECT_EQ(service.created, 1);
  EXPECT_FALSE(service.paper.callsOf(CallKind::TextOut).empty());
  EXPECT_FALSE(service.paper.callsOf(CallKind::Rectangle).empty());
  EXPECT_FALSE(anyColour(service.paper));
  EXPECT_EQ(shownTexts().back(), "Printing is Finished | Note");
}

TEST_F(PrintPass, NoDrawsThePaperLayoutInTheMainWindow) {
  print({false});
  EXPECT_EQ(service.created, 0);
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Office Laser | Shall we print to "}));
  // Graph panel border from 35 %: bottom at 65 % of 480.
  const auto rects = mainWindow.canvas.callsOf(CallKind::Rectangle);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects[0].rect.bottom, 312);
  EXPECT_EQ(rects[0].pen.width, 3);
  EXPECT_TRUE(anyColour(mainWindow.canvas));
}

TEST_F(PrintPass, FailuresAreReportedNotCalledSuccess) {
  struct Case {
    std::string printer;
    bool openFails;
    std::string failAt;
    std::vector<bool> answers;
    std::string lastMessage;
  };
  const std::vector<Case> cases = {
      {"", false, "", {}, std::string(kNoPrinterText) + " | Note"},
      {"Office Laser", true, "", {true, true}, "Printing failed: the printer is offline | Note"},
      {"Office Laser", false, "startDocument", {true, true}, "Printing failed: startDocument failed | Note"},
      {"Office Laser", false, "endDocument", {true, false}, "Printing failed: endDocument failed | Note"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lastMessage);
    script.shown.clear();
    service.name = c.printer;
    service.openFails = c.openFails;
    service.failAt = c.failAt;
    print(c.answers);
    ASSERT_FALSE(script.shown.empty());
    EXPECT_EQ(shownTexts().back(), c.lastMessage);
    for (const auto& s : shownTexts()) EXPECT_EQ(s.find(kPrintedText), std::string::npos);
  }
  // No printer: no question was asked at all.
  script.shown.clear();
  service.name = "";
  print({});
  EXPECT_EQ(script.shown.size(), 1u);
}

TEST_F(PrintPass, AJobEndsItsPageAndDocumentWhenItGoesUnlessAborted) {
  const PrintChoice choice{.print = true, .colour = true, .printer = "Office Laser"};
  { PrintJob job(service, choice); }
  {
    PrintJob job(service, choice);
    EXPECT_TRUE(job.abort());
  }
  EXPECT_EQ(service.log,
            (std::vector<std::string>{"create Office Laser", "startDocument", "startPage", "endPage",
                                      "endDocument", "create Office Laser", "startDocument",
                                      "startPage", "abort"}));
}

}  // namespace
}  // namespace tavex
