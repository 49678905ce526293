// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_plot.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <span>

#include "data/records.h"
#include "plot/convergence.h"
#include "plot/convergence_plot.h"
#include "session/help_text.h"
#include "session/lesson.h"
#include "session/open_lesson.h"
#include "session/plot_status.h"
#include "session/plot_tools.h"
#include "session/probe_keys.h"
#include "session/state.h"
#include "web/json.h"
#include "web/lesson_link.h"
#include "web/svg_canvas.h"

namespace tavex {

namespace {

std::string colourText(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

std::string rectJson(const Rect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "[%d,%d,%d,%d]", r.left, r.top, r.right, r.bottom);
  return text;
}

}  // namespace

const std::vector<std::string>& pictureKeys() {
  static const std::vector<std::string> keys = {"u", "l", "r", "m", "t", "s", "ArrowLeft",
                                                "ArrowRight", "Home", "End", "z", "x", "i"};
  return keys;
}

std::string fontJson(const FontDescription& f) {
  return JsonObject()
      .number("height", f.height)
      .number("width", f.width)
      .number("weight", f.weight)
      .flag("italic", f.italic)
      .flag("underline", f.underline)
      .flag("strikeOut", f.strikeOut)
      .text("face", f.faceName)
      .str();
}

namespace {

std::string textRunsJson(const std::vector<TextRun>& runs) {
  std::string out = "[";
  for (size_t i = 0; i < runs.size(); ++i) {
    const TextRun& t = runs[i];
    if (i) out += ',';
    out += JsonObject()
               .raw("cell", rectJson(t.cell))
               .number("baseline", t.baseline)
               .text("text", t.text)
               .text("colour", colourText(t.colour))
               .raw("font", fontJson(t.font))
               .raw("clip", rectJson(t.clip))
               .str();
  }
  return out + "]";
}

std::vector<std::string> panelLines(const PanelText& panel) {
  return std::vector<std::string>(panel.lines, panel.lines + panel.count);
}

// The convergence study's sentences are UTF-8 ("±").
std::string utf8Texts(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) out += ',';
    out += jsonUtf8Text(texts[i]);
  }
  return out + "]";
}

// The bundled examples as the page lists them: each by its title, or by
// its file name when it has none.
std::vector<std::string> exampleTitles() {
  std::vector<std::string> titles;
  for (const BundledLesson& example : bundledLessons()) {
    LessonError error;
    const std::optional<Lesson> lesson = parseLesson(example.text, error);
    titles.push_back(lesson && !lesson->graph[kGdTitle].empty() ? lesson->graph[kGdTitle]
                                                                 : std::string(example.name));
  }
  return titles;
}

// The rules' names, in SumRule's order.
std::vector<std::string> ruleNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kSumRules; ++i) names.push_back(ruleName(static_cast<SumRule>(i)));
  return names;
}

// The rule of a letter key, as the desktop's plot window takes them.
std::optional<SumRule> ruleOfKey(const std::string& name) {
  static const std::pair<const char*, SumRule> kKeys[] = {
      {"u", SumRule::UpperLower}, {"l", SumRule::Left},      {"r", SumRule::Right},
      {"m", SumRule::Midpoint},   {"t", SumRule::Trapezoid}, {"s", SumRule::Simpson}};
  for (const auto& [key, rule] : kKeys)
    if (name == key) return rule;
  return {};
}

// The study's log-log plot as an SVG drawing of width x height CSS pixels,
// in the page's sans-serif face.
std::string convergencePlotSvg(const ConvergenceStudy& study, Size size, FontMeasure& measure) {
  SvgCanvas canvas(size.width, size.height, 96, measure);
  FontDescription font;
  font.height = -12;
  font.faceName = "sans-serif";
  canvas.selectFont(canvas.createFont(font));
  drawConvergencePlot(canvas, Rect{0, 0, size.width, size.height},
                      convergenceErrors(study.rows(), study.reference()));
  return canvas.svg();
}

std::string convergenceJson(const ConvergenceStudy& study, bool running,
                            const std::string& summary, const std::string& plot) {
  const std::vector<ConvergenceRow>& rows = study.rows();
  std::string table = "[";
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i) table += ',';
    table += jsonTexts(convergenceCells(rows[i], i > 0 ? &rows[i - 1] : nullptr, study.reference()));
  }
  table += "]";
  std::vector<std::string> notes = study.notes();
  if (const std::string failures = study.failureNote(); !failures.empty()) notes.push_back(failures);
  return JsonObject()
      .text("type", "convergence")
      .flag("running", running)
      .utf8Text("reference", study.referenceDone()
                                 ? referenceStatement(study.reference(), study.functionRecord())
                                 : "Reference: computing...")
      .raw("notes", utf8Texts(notes))
      .raw("header", jsonTexts(convergenceHeader()))
      .raw("rows", table)
      .utf8Text("summary", summary)
      .text("tsv", study.tableText('\t'))
      .text("csv", study.tableText(','))
      .text("plot", plot)
      .str();
}

}  // namespace

Canvas* PageWindow::acquireCanvas() {
  if (!canvas_ || canvas_->width() != width_ || canvas_->height() != height_)
    canvas_ = std::make_unique<RasterCanvas>(width_, height_, measure_);
  canvas_->setLogicalDpi(dpi_);
  return canvas_.get();
}

bool PageWindow::resize(int width, int height, double dpi) {
  width = std::max(1, width);
  height = std::max(1, height);
  // On a screen of two or three device pixels to the CSS pixel, text is
  // laid out as in a window at least kNarrowestLayout units wide at 96 dpi,
  // never smaller than at 96 dpi: type at a phone's full dpi would overflow
  // the data panel of its narrow picture. At 96 dpi the page draws as the
  // desktop does at its size.
  if (dpi > 96) dpi = std::max(96.0, std::min(dpi, 96.0 * width / kNarrowestLayout));
  if (width == width_ && height == height_ && dpi == dpi_) return false;
  width_ = width;
  height_ = height;
  dpi_ = dpi;
  return true;
}

// Progress in the page's status line, with its Cancel button.
class WebPlot::Progress : public ProgressView {
 public:
  explicit Progress(WebPlot& plot) : plot_(plot) {}
  ~Progress() override { endProgress(); }
  void showProgress(double fraction, const std::string& text) override {
    shown_ = true;
    plot_.page_.post(
        JsonObject().text("type", "progress").number("fraction", fraction).text("text", text).str());
  }
  void showPictureSoFar() override {
    // Every 0.2 s: the page puts whole pictures up, which takes its time.
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPicture_) return;
    nextPicture_ = now + std::chrono::milliseconds(200);
    plot_.showPicture("sofar");
  }
  void endProgress() override {
    if (shown_) plot_.page_.post(JsonObject().text("type", "progress").flag("done", true).str());
    shown_ = false;
  }

 private:
  WebPlot& plot_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point nextPicture_;
};

WebPlot::WebPlot(PageLink& page) : page_(page), window_(page), frame_(&window_) {
  setPassHost(this);
  functionBox_.open(std::span<DataEntry>(functionData, kFunctionDataEntries));
  graphBox_.open(std::span<DataEntry>(graphData, kGraphDataEntries));
  setEntryListener([this](const DataEntry* record, int entry) {
    const int which = record == graphData ? kGraphBox : kFunctionBox;
    box(which).refreshRow(entry);
    showRows(which);
  });
}

WebPlot::~WebPlot() {
  setEntryListener(nullptr);
  setPassHost(nullptr);
}

void WebPlot::start(int width, int height, double dpi) {
  startQuietly(width, height, dpi);
  runPicturePass(kDrawPass);
}

void WebPlot::restoreRows(int which) {
  box(which).acceptAll();
  showRows(which);
}

void WebPlot::startQuietly(int width, int height, double dpi) {
  page_.post(JsonObject()
                 .text("type", "hello")
                 .text("version", TAVEX_VERSION)
                 .text("help", kHelpText)
                 .text("helpCaption", kHelpCaption)
                 .raw("examples", jsonTexts(exampleTitles()))
                 .raw("rules", jsonTexts(ruleNames()))
                 .number("rule", static_cast<int>(currentRule()))
                 .raw("keys", jsonTexts(pictureKeys()))
                 .number("maxLessonBytes", static_cast<double>(kMaxLessonBytes))
                 .number("maxLinkChars", static_cast<double>(maxLessonLinkChars()))
                 .str());
  showRows(kFunctionBox);
  showRows(kGraphBox);
  window_.resize(width, height, dpi);
}

void WebPlot::resize(int width, int height, double dpi) {
  // As a sized window: the probe waits for the next picture.
  if (!window_.resize(width, height, dpi)) return;
  ++resizes_;
  probeEnabled_ = 0;
}

void WebPlot::click(int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  if (!passRunning()) runPicturePass(kDrawPass);
}

void WebPlot::move(int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  // While a pass runs, the pointer only moves: no probe enters the engine.
  if (!passRunning()) runPicturePass(kProbePass);
}

void WebPlot::steps(int direction) {
  whenNoPass([this, direction] { runPicturePass(kDrawPass, changeStepsEntry(direction)); });
}

void WebPlot::chooseRow(int which, int row) {
  if (box(which).chooseRow(row)) showRows(which);
}

void WebPlot::editRow(int which, const std::string& text) {
  box(which).edited(text);
  showRows(which);
}

void WebPlot::acceptRows(int which) {
  box(which).acceptAll();
  showRows(which);
  whenNoPass([this] { runPicturePass(kDrawPass); });
}

void WebPlot::fitGraph() {
  whenNoPass([this] {
    Progress progress(*this);
    PlotContext context = programContext();
    const FitOutcome outcome = fitGraphEntries(context, &progress);
    if (outcome.changed) runPicturePass(kDrawPass, outcome.note);
    else showStatus(outcome.note);
  });
}

void WebPlot::convergence(long long limit, int plotWidth, int plotHeight) {
  const Size size{std::clamp(plotWidth, 120, 2000), std::clamp(plotHeight, 100, 2000)};
  whenNoPass([this, limit, size] {
    ConvergenceStudy study(functionData, graphData, limit);
    Progress progress(*this);
    auto show = [&](bool running, const std::string& summary) {
      page_.post(convergenceJson(study, running, summary, convergencePlotSvg(study, size, page_)));
    };
    show(true, "");
    const std::string summary =
        runConvergenceStudy(study, programContext(), &progress, [&] { show(true, ""); });
    show(false, summary);
  });
}

void WebPlot::cancel() { cancelPass(); }

namespace {

// A window whose client area is an SVG drawing.
class SvgWindow : public DeviceWindow {
 public:
  SvgWindow(int width, int height, double dpi, FontMeasure& measure)
      : canvas(width, height, dpi, measure), client_{0, 0, width, height} {}
  Canvas* acquireCanvas() override { return &canvas; }
  void releaseCanvas(Canvas*) override {}
  Rect clientRect() override { return client_; }
  SvgCanvas canvas;

 private:
  Rect client_;
};

}  // namespace

void WebPlot::savePicture() {
  whenNoPass([this] {
    const Rect client = window_.clientRect();
    SvgWindow svg(client.right, client.bottom, window_.dpi(), page_);
    GraphFrame frame(&svg);
    Progress progress(*this);
    const PassResult pass = runPass(programContext(), frame, kDrawPass, kToWindow, &progress);
    finishOutput(frame);
    const std::string name = "tavex-plot.svg";
    if (pass.cancelled) {
      showStatus("Saving cancelled: " + name + " was not written");
      return;
    }
    page_.post(JsonObject().text("type", "svg").text("name", name).text("text", svg.canvas.svg()).str());
    const std::string line = plotStatusLine(pass);
    showStatus("Saved " + name + " (" + std::to_string(client.right) + " by " +
               std::to_string(client.bottom) + ")" + (line.empty() ? "" : "; " + line));
  });
}

void WebPlot::openLessonFile(const std::string& name, const std::string& bytes) {
  whenNoPass([this, name, bytes] {
    std::string error;
    if (!openLessonText(bytes, name, error)) return showStatus(error);
    showLessonName();
    runPicturePass(kDrawPass);
  });
}

void WebPlot::openLessonLink(const std::string& fragment) {
  whenNoPass([this, fragment] {
    std::string error;
    const std::optional<std::string> bytes = percentDecoded(fragment, error);
    if (bytes && openLessonText(*bytes, kLessonLinkName, error)) {
      // A link is no file: Save suggests a name of its own.
      forgetLesson();
      error.clear();
    }
    showLessonName();
    runPicturePass(kDrawPass, error);
  });
}

void WebPlot::openExample(int index) {
  whenNoPass([this, index] {
    std::string error;
    if (index < 0 || !openExampleLesson(static_cast<std::size_t>(index), error))
      return showStatus(error.empty() ? "no such example" : error);
    showLessonName();
    runPicturePass(kDrawPass);
  });
}

std::string WebPlot::lessonOfTheRecords(const std::string& failure) {
  std::string why;
  const std::optional<Lesson> lesson = lessonOfRecords(functionData, graphData, why);
  if (!lesson) {
    showStatus(failure + why);
    return {};
  }
  return lessonText(*lesson);
}

void WebPlot::saveLesson() {
  whenNoPass([this] {
    const std::string name = openLesson().name.empty() ? "lesson.tavex" : openLesson().name;
    const std::string text = lessonOfTheRecords("cannot save '" + name + "' as a lesson: ");
    if (text.empty()) return;
    page_.post(JsonObject()
                   .text("type", "lesson")
                   .text("name", name)
                   .text("mime", kLessonMimeType)
                   .utf8Text("text", text)
                   .str());
    showStatus("Saved " + name);
  });
}

void WebPlot::shareLesson() {
  whenNoPass([this] {
    const std::string text = lessonOfTheRecords("cannot make a link of the lesson: ");
    if (!text.empty()) page_.post(JsonObject().text("type", "lessonLink").utf8Text("text", text).str());
  });
}

void WebPlot::chooseRule(int rule) {
  if (rule < 0 || rule >= kSumRules) return;
  setCurrentRule(static_cast<SumRule>(rule));
  page_.post(JsonObject().text("type", "rule").number("rule", rule).str());
  whenNoPass([this] {
    if (lastDrawPass().ran) runPicturePass(kDrawPass);
  });
}

void WebPlot::key(const std::string& name, bool shift) {
  // Letters come as typed: "Z" with Shift.
  std::string key = name;
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') key[0] = static_cast<char>(key[0] - 'A' + 'a');
  if (const std::optional<SumRule> rule = ruleOfKey(key)) return chooseRule(static_cast<int>(*rule));
  probeKey(key, shift);
}

void WebPlot::probeKey(const std::string& key, bool shift) {
  // As for the pointer: nothing before the first drawing, nor while a pass runs.
  if (probeEnabled_ != 1 || passRunning()) return;
  const PassResult& probe = lastProbePass();
  const double x = probe.ran ? probe.probe.x : frame_.x0;
  const int units = shift ? 10 : 1;
  if (key == "ArrowLeft" || key == "ArrowRight") {
    runPicturePass(kProbePass, {}, probeShifted(frame_, x, key == "ArrowLeft" ? -units : units));
  } else if (key == "Home" || key == "End") {
    const FunctionInterval interval = intervalOf(functionData);
    runPicturePass(kProbePass, {}, key == "Home" ? interval.x1 : interval.x2);
  } else if (key == "z" || key == "x" || key == "i") {
    const FeatureKind kind = key == "z"   ? FeatureKind::Zero
                             : key == "x" ? FeatureKind::Maximum
                                          : FeatureKind::Inflection;
    ProbeFind find;
    {
      Progress progress(*this);
      find = findFromProbe(programContext(), frame_, x, kind, shift ? -1 : 1, &progress);
    }
    if (find.found) runPicturePass(kProbePass, {}, find.x);
    showStatus(find.status);
  }
}

void WebPlot::showLessonName() {
  page_.post(JsonObject().text("type", "lessonName").text("name", openLesson().name).str());
}

void WebPlot::runPicturePass(int probe, const std::string& note, std::optional<double> atX) {
  const int resizesBefore = resizes_;
  PlotContext context = programContext();
  context.mouseX = mouseX_;
  context.mouseY = mouseY_;
  context.probeAtX = atX.has_value();
  context.probeX = atX.value_or(0.0);
  context.probeEnabled = probeEnabled_;
  PassResult result;
  const auto start = std::chrono::steady_clock::now();
  {
    Progress progress(*this);
    result = runPass(context, frame_, probe, kToWindow, &progress);
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  // A page sized while the pass ran may show another picture: the probe
  // waits for the next click.
  probeEnabled_ = resizes_ != resizesBefore ? 0 : result.probeEnabled;
  keepPass(result);
  if (!result.ran) return;
  if (probe != kDrawPass) return showPicture("probe", ms);
  // The status line and the readouts before the picture, whose message
  // tells the page (and its tests) that the pass has ended.
  const std::string line = plotStatusLine(result);
  showStatus(note.empty() ? line : notedLine(note, line));
  page_.post(JsonObject()
                 .text("type", "readouts")
                 .raw("lines", jsonTexts(panelLines(result.dataPanel)))
                 .raw("function", jsonTexts(panelLines(result.functionPanel)))
                 .text("text", readoutsText(result))
                 .flag("cancelled", result.cancelled)
                 .number("evaluations", static_cast<double>(result.report.evaluations))
                 .str());
  showPicture("draw", ms);
}

void WebPlot::showPicture(const char* why, double ms) {
  RasterCanvas* canvas = window_.canvas();
  if (canvas == nullptr) return;
  const std::string texts = textRunsJson(canvas->texts());
  const Rect changed = canvas->takeChanges();
  page_.postPicture(JsonObject()
                        .text("type", "picture")
                        .text("why", why)
                        .number("ms", ms)
                        .number("width", canvas->width())
                        .number("height", canvas->height())
                        .raw("changed", rectJson(changed))
                        .raw("texts", texts)
                        .str(),
                    *canvas, changed);
}

void WebPlot::showRows(int which) {
  const RecordEditModel& model = box(which);
  std::vector<std::string> rows;
  for (int i = 0; i < model.rowCount(); ++i) rows.push_back(model.row(i));
  page_.post(JsonObject()
                 .text("type", "rows")
                 .number("box", which)
                 .raw("rows", jsonTexts(rows))
                 .number("index", model.index())
                 .text("edit", model.editText())
                 .str());
}

void WebPlot::showStatus(const std::string& line) {
  page_.post(JsonObject().text("type", "status").text("text", line).str());
}

}  // namespace tavex
