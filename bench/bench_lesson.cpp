// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a lesson: reading, checking and applying a file, and a draw pass
// after it next to the same draw pass alone; and the largest file a lesson
// may be, all comments.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "data/records.h"
#include "graphics/graph_frame.h"
#include "graphics/null_canvas.h"
#include "plot/plot.h"
#include "session/lesson.h"
#include "session/state.h"

namespace {

using namespace tavex;

std::string writeTemporary(const std::string& name, const std::string& text) {
  const std::string path = "/tmp/bench_lesson_" + std::to_string(getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void draw() {
  NullWindow window(800, 600);
  GraphFrame frame(&window);
  benchmark::DoNotOptimize(plot(programContext(), frame, kDrawPass, kToWindow));
  finishOutput(frame);
}

void open(const std::string& path) {
  std::string error;
  const std::optional<Lesson> lesson = readLessonFile(path, error);
  if (!lesson) std::abort();
  applyLesson(*lesson);
}

// Argument: the example lesson's position among the bundled ones.
void BM_OpenLesson(benchmark::State& state) {
  const BundledLesson& example = bundledLessons()[static_cast<size_t>(state.range(0))];
  const std::string path = writeTemporary(example.name, example.text);
  for (auto _ : state) open(path);
  state.SetLabel(example.name);
  std::remove(path.c_str());
}

void BM_OpenLessonAndDraw(benchmark::State& state) {
  const BundledLesson& example = bundledLessons()[static_cast<size_t>(state.range(0))];
  const std::string path = writeTemporary(example.name, example.text);
  for (auto _ : state) {
    open(path);
    draw();
  }
  state.SetLabel(example.name);
  std::remove(path.c_str());
}

void BM_DrawOfLesson(benchmark::State& state) {
  const BundledLesson& example = bundledLessons()[static_cast<size_t>(state.range(0))];
  const std::string path = writeTemporary(example.name, example.text);
  open(path);
  for (auto _ : state) draw();
  state.SetLabel(example.name);
  std::remove(path.c_str());
}

void examples(benchmark::internal::Benchmark* b) {
  for (size_t i = 0; i < bundledLessons().size(); ++i) b->Arg(static_cast<int64_t>(i));
}
BENCHMARK(BM_OpenLesson)->Apply(examples)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenLessonAndDraw)->Apply(examples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawOfLesson)->Apply(examples)->Unit(benchmark::kMillisecond);

void BM_LoadLessonOf64KBComments(benchmark::State& state) {
  std::string text = std::string(kLessonHeader) + "\n";
  while (text.size() < kMaxLessonBytes) text += "# " + std::string(77, 'c') + "\n";
  text.resize(kMaxLessonBytes);
  const std::string path = writeTemporary("comments.tavex", text);
  for (auto _ : state) open(path);
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadLessonOf64KBComments)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
