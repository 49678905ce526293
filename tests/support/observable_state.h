// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a run of the function evaluator leaves behind that the rest of
// the program can see, as one text: differential tests and the fuzzer
// compare the parse path with the replayed tapes through it.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "expr/engine.h"
#include "expr/function_evaluator.h"

namespace tavex::testing {

inline std::string observableState(const ExpressionEngine& e, const FunctionEvaluator& ev,
                                   double result) {
  std::string s;
  char buffer[400];
  auto add = [&](const char* format, auto... values) {
    std::snprintf(buffer, sizeof buffer, format, values...);
    s += buffer;
  };
  const ErrorRecord& error = e.errorRecord();
  add("result %a status %d error '%s' %d:%d at %d:%d scratch %a last %d failures %lld\n", result,
      static_cast<int>(e.status()), error.message ? error.message : "", error.errorLine,
      error.errorColumn, e.inputLine(), e.inputColumn(), e.scratchCell(), ev.lastStatus(),
      static_cast<long long>(ev.failureCount()));
  const EvaluationFailure& f = ev.firstFailure();
  if (f.recorded)
    add("first failure #%lld x %a status %d '%s' %d:%d entry %d column %d\n",
        static_cast<long long>(f.evaluation), f.x, static_cast<int>(f.status), f.message,
        f.errorLine, f.errorColumn, f.entry, f.entryColumn);
  const SymbolTable& st = e.symbolTable();
  add("%d variables:", st.count);
  for (int i = 0; i < st.count; ++i) add(" %s=%a", st.entries[i].name, st.entries[i].value);
  s += '\n';
  return s;
}

// Collects what the engine writes to the standard error stream (the stack
// overflow line) while it lives, by pointing file descriptor 2 at a
// temporary file (the stream itself may not be assigned, as in musl).
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()) {
    if (file_ == nullptr) return;
    std::fflush(stderr);
    saved_ = ::dup(2);
    if (saved_ < 0 || ::dup2(::fileno(file_), 2) < 0) {
      std::fclose(file_);
      file_ = nullptr;
    }
  }
  ~StderrCapture() {
    if (file_ == nullptr) return;
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    std::fclose(file_);
  }
  // What was written since the last call.
  std::string take() {
    if (file_ == nullptr) return {};
    std::fflush(stderr);
    std::string text;
    std::fseek(file_, read_, SEEK_SET);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    read_ = std::ftell(file_);
    return text;
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

 private:
  std::FILE* file_;
  int saved_ = -1;
  long read_ = 0;
};

}  // namespace tavex::testing
