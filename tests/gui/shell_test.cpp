// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, its menu, the help box, child windows and the way out.
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTimer>
#include <QWindow>

#include "session/help_text.h"
#include "gui_support.h"
#include "platform/image_window.h"
#include "plot/print.h"
#include "graphics/null_canvas.h"

namespace tavex::testing {
namespace {

using Shell = GuiTest;

TEST_F(Shell, MenuBarHoldsTheItemsInOrderWithTheirIdentifiers) {
  struct Item {
    std::string text;
    int id;  // -1 for a pop-up
    std::vector<std::pair<std::string, int>> popup;
  };
  const std::vector<Item> expected = {
      {"E&xit", 10, {}},
      {"&Data",
       -1,
       {{"&Fdata", 30},
        {"&Gdata", 40},
        {"&Open Lesson...", 41},
        {"&Save Lesson...", 42},
        {"&Examples", -1}}},
      {"&Plot",
       -1,
       {{"&Screen", 50},
        {"&Print", 60},
        {"&Convergence", 70},
        {"&Fit Graph", 75},
        {"Sa&ve Picture...", 80},
        {"Cop&y Picture", 81},
        {"Copy &Readouts", 82},
        {"R&ule", -1}}},
      {"&Help", 90, {}},
  };
  const QList<QAction*> bar = main->menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].text);
    QAction* item = bar[static_cast<qsizetype>(i)];
    EXPECT_EQ(item->text().toStdString(), expected[i].text);
    if (expected[i].id >= 0) {
      EXPECT_EQ(item->menu(), nullptr);
      EXPECT_EQ(main->commandAction(expected[i].id), item);
      continue;
    }
    ASSERT_NE(item->menu(), nullptr);
    const QList<QAction*> entries = item->menu()->actions();
    ASSERT_EQ(entries.size(), static_cast<qsizetype>(expected[i].popup.size()));
    for (size_t k = 0; k < expected[i].popup.size(); ++k) {
      QAction* entry = entries[static_cast<qsizetype>(k)];
      EXPECT_EQ(entry->text().toStdString(), expected[i].popup[k].first);
      if (expected[i].popup[k].second < 0) EXPECT_NE(entry->menu(), nullptr);  // a pop-up of its own
      else EXPECT_EQ(main->commandAction(expected[i].popup[k].second), entry);
    }
  }
  EXPECT_FALSE(mainWindowCommand(20));
  EXPECT_FALSE(mainWindowCommand(0));
}

TEST_F(Shell, MainWindowIsTitledTavexOverAnEmptyWhiteClientArea) {
  EXPECT_EQ(main->windowTitle().toStdString(), "tavex");
  const QImage shown = main->clientArea()->grab().toImage();
  ASSERT_FALSE(shown.isNull());
  for (int y = 0; y < shown.height(); y += 7)
    for (int x = 0; x < shown.width(); x += 7) ASSERT_EQ(pixel(shown, x, y), kWhite) << x << "," << y;
  EXPECT_TRUE(main->statusText().isEmpty());
}

TEST_F(Shell, MainWindowIconIsTheSvgCurveOverSteps) {
  // Empty when the resource is not linked in or Qt cannot read SVG.
  const QImage icon = main->windowIcon().pixmap(64, 64).toImage();
  ASSERT_EQ(icon.size(), QSize(64, 64));
  const Colour curve = pixel(icon, 32, 39);  // the curve's midpoint in the 64-unit drawing
  EXPECT_GT(curve.r, 200);
  EXPECT_LT(curve.g, 80);
}

TEST_F(Shell, HelpShowsTheTextInOneBoxWithItsCaption) {
  command(kHelpCommand);
  ASSERT_EQ(scripted.shown.size(), 1u);
  const auto& box = scripted.shown[0];
  EXPECT_EQ(box.kind, ScriptedDialogs::Kind::Message);
  EXPECT_EQ(box.caption, "Tavex  Version (2.3)");
  const std::string pieces[] = {
      "fdata\t Sets the function and its (optional) parameters a b c d e\n\n",
      "\t Use * for multiplication / for division ** for powers. |x| = fabs(x),\n\n",
      "\t sin(x), cos(x), tan(x), exp(x), sinh(x), cosh(x), tanh(x), atan(x), etc.\n\n",
      "\t [x1, x2] is the integration interval and n is number of steps.\n\n",
      "\t To update (accept) revised data, press button [u] in data box.\n\n\n",
      "gdata\t Sets the graph parameters.\n\n",
      "\t t1 and tt1 are large and small tick parameters for x.\n\n",
      "\t n here is the number of points on the graph of the function.\n\n\n",
      "Plot\t Plots f(x) and computes upper sum (SumU), lower sum (SumL), midpoint (SumM)\n\n",
      "\t trapezoidal (SumT), Simpson (SumS) [n even], and an accurate value (Exact).\n\n",
      "\t If n < 2 in fdata, only the graph of f(x) is plotted: by using the mouse\n\n",
      "\t we can find max min zeros and values of f(x) f'(x) f\"(x).\n\n\n",
      "Windows\t One can open all three windows, size them, and move them around.\n\n",
      "\t The plot of f(x) is started by a mouse click over the plot window.\n\n\n",
  };
  std::string body;
  for (const auto& p : pieces) body += p;
  ASSERT_EQ(box.text.compare(0, body.size(), body), 0);
  const std::string closing = box.text.substr(body.size());
  EXPECT_EQ(closing.find('\n'), std::string::npos);
  EXPECT_NE(closing.find("Tavex v(2.3)"), std::string::npos);
  EXPECT_NE(closing.find("February 2000"), std::string::npos);
}

TEST_F(Shell, ChildWindowsOpenOwnedAtTheSamePlaceWithTheirTitles) {
  command(kFdataCommand);
  command(kGdataCommand);
  command(kScreenCommand);
  const std::pair<ChildWindow*, const char*> windows[] = {
      {fdataWindow, "fdata"}, {gdataWindow, "gdata"}, {plotWindow, "plotm"}};
  for (const auto& [window, title] : windows) {
    SCOPED_TRACE(title);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), title);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->parentWidget(), main.get());  // owned: above it, gone with it
    ASSERT_NE(window->windowHandle(), nullptr);  // and transient for it
    EXPECT_EQ(window->windowHandle()->transientParent(), main->windowHandle());
    EXPECT_EQ(window->frameGeometry(), QRect(30, 50, 200, 200));
  }
  EXPECT_NE(fdataWindow, gdataWindow);
}

TEST_F(Shell, PrintTurnsTheMainWindowWhiteBeforeItsFirstQuestion) {
  struct OnePrinter : PrintService {
    std::string defaultPrinterName() override { return "Desk"; }
    std::unique_ptr<PrinterDevice> createPrinter(const std::string&, std::string&) override {
      return nullptr;
    }
  } printer;
  printService = &printer;
  scripted.answers = {false};  // No: the paper layout goes to the main window
  command(kPrintCommand);
  EXPECT_FALSE(allWhite(main->clientArea()->image()));
  bool whiteAtQuestion = false;
  scripted.onShown = [&](const ScriptedDialogs::Shown&) {
    whiteAtQuestion = allWhite(main->clientArea()->grab().toImage());
  };
  command(kPrintCommand);
  printService = nullptr;
  ASSERT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(scripted.shown[1].caption, "Shall we print to ");
  EXPECT_TRUE(whiteAtQuestion);
}

TEST_F(Shell, ExitWithBothBoxesOpenAcceptsBothAndEndsWithZero) {
  command(kFdataCommand);
  command(kGdataCommand);
  fdataBox->edit->setText("y    = x*x");
  doubleClickRow(gdataBox->list, 12);
  gdataBox->edit->setText("title     = parabola");
  QTimer::singleShot(0, [this] { command(kExitCommand); });
  // A stray quit would end the loop with another code.
  QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(fdataBox, nullptr);
  EXPECT_EQ(gdataBox, nullptr);
  EXPECT_STREQ(functionData[kFdFunction].value, "x*x");
  EXPECT_STREQ(graphData[kGdTitle].value, "parabola");
}

TEST_F(Shell, ClosingTheMainWindowByItsCloseBoxEndsWithZero) {
  openPlot();
  QTimer::singleShot(0, [this] { main->close(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(currentFrame, nullptr);  // the live plot window gave up its frame
}

}  // namespace
}  // namespace tavex::testing

namespace tavex::testing {
namespace {

TEST_F(Shell, ThePrintPassAloneIsTimedSoSlowQuestionsLeaveNoProgressBoxBehind) {
  struct Device : PrinterDevice {
    NullCanvas paper;
    Canvas* canvas() override { return &paper; }
    int pixelWidth() override { return 4800; }
    int pixelHeight() override { return 6600; }
    bool startDocument() override { return true; }
    bool startPage() override { return true; }
    bool endPage() override { return true; }
    bool endDocument() override { return true; }
    bool abort() override { return true; }
    std::string error() override { return {}; }
  };
  struct OnePrinter : PrintService {
    std::string defaultPrinterName() override { return "Desk"; }
    std::unique_ptr<PrinterDevice> createPrinter(const std::string&, std::string&) override {
      return std::make_unique<Device>();
    }
  } printer;
  printService = &printer;
  scripted.answers = {true, true};
  bool boxAtEnd = true;
  scripted.onShown = [&](const ScriptedDialogs::Shown& box) {
    // A user who takes half a second over each question.
    if (box.kind == ScriptedDialogs::Kind::Question) QTest::qWait(500);
    if (box.kind == ScriptedDialogs::Kind::Message) {
      boxAtEnd = false;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog*>(w) != nullptr && w->isVisible()) boxAtEnd = true;
    }
  };
  command(kPrintCommand);
  printService = nullptr;
  ASSERT_FALSE(scripted.shown.empty());
  EXPECT_EQ(scripted.shown.back().kind, ScriptedDialogs::Kind::Message);
  EXPECT_FALSE(boxAtEnd);
}

}  // namespace
}  // namespace tavex::testing
