// SPDX-License-Identifier: GPL-3.0-or-later
// The browser page's plot and data boxes: the page's input taken as the
// desktop's plot window and data boxes take theirs (through session/), and
// what the passes produce told back to the page as messages. Plain C++: the
// page is reached through a PageLink.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/graph_frame.h"
#include "session/edit_model.h"
#include "session/pass_runner.h"
#include "web/raster_canvas.h"

namespace tavex {

// A font as the page's scripts read it (web/site/font.js).
std::string fontJson(const FontDescription& font);

// The page as the program sees it.
class PageLink : public FontMeasure {
 public:
  // A message for the page: a JSON object with a "type".
  virtual void post(const std::string& message) = 0;
  // The pixels of canvas within changed, with message (a "picture").
  virtual void postPicture(const std::string& message, const RasterCanvas& canvas,
                           const Rect& changed) = 0;
  // Handles the page's input that came in while a pass runs.
  virtual void giveEventLoopTurn() = 0;
  // Runs action once the current input is handled.
  virtual void runSoon(std::function<void()> action) = 0;
};

// The picture the passes draw into: a raster canvas of the page's size,
// made anew (white) at the first pass after the size changed.
class PageWindow : public DeviceWindow {
 public:
  explicit PageWindow(FontMeasure& measure) : measure_(measure) {}
  Canvas* acquireCanvas() override;
  void releaseCanvas(Canvas*) override {}
  Rect clientRect() override { return Rect{0, 0, width_, height_}; }
  // False when it already had that size. A logical dpi above 96 is lowered
  // (not below 96) to what a picture kNarrowestLayout units wide at 96 dpi
  // would have.
  bool resize(int width, int height, double dpi);
  static constexpr int kNarrowestLayout = 560;
  RasterCanvas* canvas() { return canvas_.get(); }
  double dpi() const { return dpi_; }

 private:
  FontMeasure& measure_;
  int width_ = 1, height_ = 1;
  double dpi_ = 96;
  std::unique_ptr<RasterCanvas> canvas_;
};

// The keys the picture takes (WebPlot::key), by the page's names for them.
const std::vector<std::string>& pictureKeys();

// The two data boxes of the page.
inline constexpr int kFunctionBox = 0;
inline constexpr int kGraphBox = 1;

class WebPlot : private PassHost {
 public:
  explicit WebPlot(PageLink& page);
  ~WebPlot() override;
  WebPlot(const WebPlot&) = delete;
  WebPlot& operator=(const WebPlot&) = delete;

  // The page has loaded at this size (device pixels, logical dpi): the
  // version, the help text and the rows, then the first picture.
  void start(int width, int height, double dpi);
  // The same without the first picture: the page restores the data boxes'
  // rows into a fresh program (restoreRows) and keeps its picture.
  void startQuietly(int width, int height, double dpi);
  void restoreRows(int box);

  // The page's input.
  void resize(int width, int height, double dpi);
  void click(int x, int y);
  void move(int x, int y);
  void steps(int direction);
  void chooseRow(int box, int row);
  void editRow(int box, const std::string& text);
  void acceptRows(int box);
  void fitGraph();
  // The study up to limit (0: the default rows), its plot drawn at the
  // page's size for it (CSS pixels).
  void convergence(long long limit, int plotWidth, int plotHeight);
  void cancel();
  // A draw pass into an SVG drawing of the picture's size, for the page to
  // save (as "Save Picture..." draws into a file).
  void savePicture();

  // Lessons (session/open_lesson.h), each drawn once open: a file's bytes
  // as the page read them (at most one byte beyond the most a lesson may
  // be), under the file's name; a link's fragment after "#lesson=", which
  // draws also when it does not read, its message in the status line; a
  // bundled example. A file or example that does not read changes nothing
  // and says why in the status line.
  void openLessonFile(const std::string& name, const std::string& bytes);
  void openLessonLink(const std::string& fragment);
  void openExample(int index);
  // The records as a lesson file for the page to download ("lesson"), or
  // its text for the page to put in a link ("lessonLink").
  void saveLesson();
  void shareLesson();

  // The rule whose picture draw passes show (plot/sums.h: SumRule's
  // number); the picture draws again once there is one.
  void chooseRule(int rule);
  // A key on the picture, by the page's name for it ("ArrowLeft", "z"):
  // U, L, R, M, T and S choose a rule; Left and Right move the probe a
  // device unit (ten with Shift), Home and End to x1 and x2, Z, X and I to
  // the next zero, extremum or inflection point of f (to the left with
  // Shift), the status line then giving it in full. The probe moves only
  // once a click has drawn, as for the pointer. The page hands in the keys
  // of pictureKeys() only.
  void key(const std::string& name, bool shift);

 private:
  // The records as a lesson's text; empty with failure + the reason in the
  // status line when they cannot be written as one.
  std::string lessonOfTheRecords(const std::string& failure);
  void showLessonName();
  void giveEventLoopTurn() override { page_.giveEventLoopTurn(); }
  void runSoon(std::function<void()> action) override { page_.runSoon(std::move(action)); }
  // A pass in the picture; note goes before a draw pass's status line.
  // atX: a probe pass at that x rather than under the pointer.
  void runPicturePass(int probe, const std::string& note = {}, std::optional<double> atX = {});
  void probeKey(const std::string& name, bool shift);
  // The picture's changes; ms is how long the pass took (0: not ended).
  void showPicture(const char* why, double ms = 0);
  void showRows(int box);
  void showStatus(const std::string& line);
  RecordEditModel& box(int which) { return which == kGraphBox ? graphBox_ : functionBox_; }

  class Progress;
  PageLink& page_;
  PageWindow window_;
  GraphFrame frame_;
  RecordEditModel functionBox_;
  RecordEditModel graphBox_;
  int mouseX_ = 0, mouseY_ = 0;
  int probeEnabled_ = 0;
  int resizes_ = 0;  // size changes so far: a pass compares them at its end
};

}  // namespace tavex
