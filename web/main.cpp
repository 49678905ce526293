// SPDX-License-Identifier: GPL-3.0-or-later
// The program in the page's worker: the functions the worker's script calls
// (tavex_start, tavex_input, tavex_run_token) and the page link through the
// script's object tavexWorker (web/site/worker.js), which posts messages,
// measures text with the page's font and hands the page's input in.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "web/web_plot.h"

namespace {

// Texts go to the script as (pointer, length): 8-bit, one character a byte.
EM_JS(int, tavex_js_text_width, (const char* font, const char* text, int length), {
  let s = "";
  for (let i = 0; i < length; ++i) s += String.fromCharCode(HEAPU8[text + i]);
  return tavexWorker.textWidth(UTF8ToString(font), s);
});
EM_JS(void, tavex_js_font_metrics, (const char* font, int* out), {
  const m = tavexWorker.fontMetrics(UTF8ToString(font));
  HEAP32[(out >> 2) + 0] = m.averageCharWidth;
  HEAP32[(out >> 2) + 1] = m.ascent;
  HEAP32[(out >> 2) + 2] = m.descent;
});
EM_JS(void, tavex_js_post, (const char* message), { tavexWorker.post(UTF8ToString(message)); });
EM_JS(void, tavex_js_post_picture,
      (const char* message, const std::uint32_t* pixels, int width, int left, int top, int right,
       int bottom),
      { tavexWorker.postPicture(UTF8ToString(message), HEAPU8, pixels, width, left, top, right, bottom); });
EM_JS(void, tavex_js_event_turn, (), { tavexWorker.eventTurn(); });
EM_JS(void, tavex_js_run_soon, (int token), { tavexWorker.runSoon(token); });

class WorkerPage : public tavex::PageLink {
 public:
  tavex::TextMetrics metrics(const tavex::FontDescription& font) override {
    const std::string key = fontKey(font);
    auto it = metrics_.find(key);
    if (it != metrics_.end()) return it->second;
    int m[3] = {0, 0, 0};
    tavex_js_font_metrics(key.c_str(), m);
    const tavex::TextMetrics result{m[0], m[1] + m[2], m[1], m[2]};
    metrics_.emplace(key, result);
    return result;
  }
  int width(const tavex::FontDescription& font, std::string_view text) override {
    return tavex_js_text_width(fontKey(font).c_str(), text.data(), static_cast<int>(text.size()));
  }
  void post(const std::string& message) override { tavex_js_post(message.c_str()); }
  void postPicture(const std::string& message, const tavex::RasterCanvas& canvas,
                   const tavex::Rect& changed) override {
    tavex_js_post_picture(message.c_str(), canvas.pixels(), canvas.width(), changed.left,
                          changed.top, changed.right, changed.bottom);
  }
  void giveEventLoopTurn() override { tavex_js_event_turn(); }
  void runSoon(std::function<void()> action) override {
    const int token = nextToken_++;
    soon_.emplace(token, std::move(action));
    tavex_js_run_soon(token);
  }
  void run(int token) {
    auto it = soon_.find(token);
    if (it == soon_.end()) return;
    const std::function<void()> action = std::move(it->second);
    soon_.erase(it);
    action();
  }

 private:
  static std::string fontKey(const tavex::FontDescription& f) { return tavex::fontJson(f); }
  std::map<std::string, tavex::TextMetrics> metrics_;
  std::map<int, std::function<void()>> soon_;
  int nextToken_ = 1;
};

WorkerPage page;
tavex::WebPlot* plot = nullptr;

// What tavex_input's kind names, as the worker's script sends it.
enum Input {
  kResize = 1,
  kClick,
  kMove,
  kSteps,
  kChooseRow,
  kEditRow,
  kAcceptRows,
  kFitGraph,
  kConvergence,
  kCancel,
  kSavePicture,
  kRestoreRows,
  kOpenLessonFile,
  kOpenLessonLink,
  kOpenExample,
  kSaveLesson,
  kShareLesson,
  kChooseRule,
  kKey,
};

// A lesson's input: text holds b bytes (NUL among them, perhaps), a file's
// name its first a. A rule: a; a key on the picture: text, b 1 with Shift.
void laterInput(int kind, int a, int b, const char* text) {
  if (kind == kChooseRule) return plot->chooseRule(a);
  if (kind == kKey) return plot->key(text != nullptr ? text : "", b != 0);
  const std::string bytes =
      text != nullptr && b > 0 ? std::string(text, static_cast<std::size_t>(b)) : "";
  const std::size_t name = std::min(bytes.size(), static_cast<std::size_t>(std::max(a, 0)));
  switch (kind) {
    case kOpenLessonFile: plot->openLessonFile(bytes.substr(0, name), bytes.substr(name)); break;
    case kOpenLessonLink: plot->openLessonLink(bytes); break;
    case kOpenExample: plot->openExample(a); break;
    case kSaveLesson: plot->saveLesson(); break;
    case kShareLesson: plot->shareLesson(); break;
    default: break;
  }
}

}  // namespace

extern "C" {

// quiet: without the first picture (the page restores its rows first).
EMSCRIPTEN_KEEPALIVE void tavex_start(int width, int height, double dpi, int quiet) {
  if (plot == nullptr) plot = new tavex::WebPlot(page);
  if (quiet) plot->startQuietly(width, height, dpi);
  else plot->start(width, height, dpi);
}

// One input of the page: a and b are its numbers, c a real, text its text
// (8-bit).
EMSCRIPTEN_KEEPALIVE void tavex_input(int kind, int a, int b, double c, const char* text) {
  if (plot == nullptr) return;
  if (kind >= kOpenLessonFile) return laterInput(kind, a, b, text);
  switch (kind) {
    case kResize: plot->resize(a, b, c); break;
    case kClick: plot->click(a, b); break;
    case kMove: plot->move(a, b); break;
    case kSteps: plot->steps(a); break;
    case kChooseRow: plot->chooseRow(a, b); break;
    case kEditRow: plot->editRow(a, text != nullptr ? text : ""); break;
    case kAcceptRows: plot->acceptRows(a); break;
    case kFitGraph: plot->fitGraph(); break;
    case kConvergence: plot->convergence(static_cast<long long>(c), a, b); break;
    case kCancel: plot->cancel(); break;
    case kSavePicture: plot->savePicture(); break;
    case kRestoreRows: plot->restoreRows(a); break;
    default: break;
  }
}

EMSCRIPTEN_KEEPALIVE void tavex_run_token(int token) { page.run(token); }

}  // extern "C"
