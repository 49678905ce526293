// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "session/cli_analysis.h"
#include "session/cli_convergence.h"
#include "session/cli_edits.h"
#include "session/cli_lesson.h"
#include "session/pass_report.h"
#include "session/state.h"
#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "graphics/null_canvas.h"
#include "plot/plot.h"


namespace tavex {

void printUsage(std::FILE* to) {
  std::fputs(
      "usage: tavex                       open the main window\n"
      "       tavex FILE.tavex            open the main window with the lesson FILE\n"
      "       tavex --eval TEXT [TEXT...]  run each TEXT through the expression engine\n"
      "       tavex --sums [EDIT...]       print the data panel of one draw pass\n"
      "       tavex --probe X [EDIT...]    print the probe at x = X after one draw pass\n"
      "       tavex --render FILE [--size WxH] [--rule RULE] [EDIT...]\n"
      "                                    draw one pass (default 800x600) into FILE\n"
      "                                    (.png, .svg or .pdf), then print its data panel;\n"
      "                                    RULE: upperlower (the default), left, right,\n"
      "                                    midpoint, trapezoid or simpson\n"
      "       tavex --convergence [--upto N] [EDIT...]  the sums for n, 2n, 4n ... up to N\n"
      "       tavex --tolerance EPS [EDIT...]  for each rule the n whose error bound,\n"
      "                                    and whose actual error, is within EPS\n"
      "       tavex --find [EDIT...]       every zero, maximum, minimum and inflection\n"
      "                                    point of f on [x1, x2]\n"
      "       tavex --save-lesson FILE [EDIT...]  write the data as a lesson file\n"
      "       tavex --help                 print this help\n"
      "       tavex --version              print the version\n"
      "  EDIT: --lesson FILE       set every entry as the lesson FILE does, before\n"
      "                            the other edits\n"
      "        --fdata NAME=VALUE  set a function data entry (y a b c d e x1 x2 n)\n"
      "        --gdata NAME=VALUE  set a graph data entry (x0 x1 y0 y1 n t1 tt1 t2 tt2\n"
      "                            tsize xlab ylab title)\n",
      to);
}

namespace {

int runEval(int argc, char** argv, std::FILE* out) {
  ExpressionEngine& engine = programEngine();
  bool allAccepted = true;
  for (int i = 2; i < argc; ++i) {
    engine.resetStacks();
    ParseStatus s = engine.runText(argv[i]);
    const ErrorRecord& e = engine.errorRecord();
    switch (s) {
      case ParseStatus::Accepted:
        std::fputs("Accepted\n", out);
        break;
      case ParseStatus::SyntaxError:
      case ParseStatus::SemanticError:
        std::fprintf(out, "%s: %s (line %d, column %d)\n", statusName(s), e.message, e.errorLine,
                     e.errorColumn);
        break;
      default:
        std::fprintf(out, "%s\n", statusName(s));
        break;
    }
    if (s != ParseStatus::Accepted) allAccepted = false;
  }
  const SymbolTable& st = engine.symbolTable();
  for (int i = 0; i < st.count; ++i)
    std::fprintf(out, "%s = %.17g\n", st.entries[i].name, st.entries[i].value);
  return allAccepted ? 0 : 1;
}

// A whole argument as a number, for --probe.
bool parseNumber(const char* text, double& value) {
  std::string_view s(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return readDecimal(s, value);
}

// Pictures are held whole in memory while they are drawn: 64 million pixels
// (256 MB as a 32-bit image) at most.
constexpr long long kMaxPicturePixels = 64000000;

// "WxH" with both sides from 1 to 20000 and at most kMaxPicturePixels.
bool parseSize(const char* text, int& width, int& height) {
  std::string_view s(text);
  const size_t x = s.find('x');
  if (x == std::string_view::npos) return false;
  auto side = [](std::string_view part, int& v) {
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    return !part.empty() && ec == std::errc() && end == part.data() + part.size() && v >= 1 &&
           v <= 20000;
  };
  return side(s.substr(0, x), width) && side(s.substr(x + 1), height) &&
         static_cast<long long>(width) * height <= kMaxPicturePixels;
}

// A pass's first failure and its warnings, one line each.
void reportPass(const PassReport& report, const char* pass, std::FILE* err) {
  const std::string failure = passFailureLine(report);
  if (!failure.empty()) std::fprintf(err, "tavex: %s%s\n", pass, failure.c_str());
  for (const std::string& warning : report.warnings)
    std::fprintf(err, "tavex: warning: %s\n", warning.c_str());
}

// What --sums, --probe and --render were asked for.
struct DrawPassRequest {
  enum class Mode { None, Sums, Probe, Render } mode = Mode::None;
  double probeX = 0.0;
  const char* renderPath = nullptr;
  int width = 800;
  int height = 600;
  bool sizeGiven = false;
  SumRule rule = SumRule::UpperLower;
  std::vector<RecordEdit> edits;
};

// "'ARG'" after ", got " when the option had an argument.
void needs(std::FILE* err, const char* what, int argc, char** argv, int i) {
  const bool has = i + 1 < argc;
  std::fprintf(err, "tavex: %s%s%s%s\n", what, has ? ", got '" : "", has ? argv[i + 1] : "",
               has ? "'" : "");
}

// Takes argv[i] (and its argument) into request; false after a message.
bool takeDrawPassOption(int argc, char** argv, int& i, DrawPassRequest& request,
                        std::FILE* err) {
  using Mode = DrawPassRequest::Mode;
  const char* a = argv[i];
  const bool hasArgument = i + 1 < argc;
  const Mode mode = std::strcmp(a, "--sums") == 0     ? Mode::Sums
                    : std::strcmp(a, "--probe") == 0  ? Mode::Probe
                    : std::strcmp(a, "--render") == 0 ? Mode::Render
                                                      : Mode::None;
  if (mode != Mode::None && request.mode != Mode::None) {
    std::fprintf(err, "tavex: %s: give one of --sums, --probe and --render, once\n", a);
    return false;
  }
  if (mode != Mode::None) request.mode = mode;
  if (mode == Mode::Sums) return true;
  if (mode == Mode::Probe) {
    if (!hasArgument || !parseNumber(argv[i + 1], request.probeX)) {
      needs(err, "--probe needs a number X", argc, argv, i);
      return false;
    }
    ++i;
    return true;
  }
  if (mode == Mode::Render) {
    if (!hasArgument) {
      std::fputs("tavex: --render needs a FILE\n", err);
      return false;
    }
    request.renderPath = argv[++i];
    return true;
  }
  if (std::strcmp(a, "--size") == 0) {
    if (!hasArgument || !parseSize(argv[i + 1], request.width, request.height)) {
      needs(err, "--size needs WxH (1 to 20000 each, at most 64000000 pixels)", argc, argv, i);
      return false;
    }
    request.sizeGiven = true;
    ++i;
    return true;
  }
  if (std::strcmp(a, "--rule") == 0) {
    if (!hasArgument || !ruleFromKeyword(argv[i + 1], request.rule)) {
      needs(err, "--rule needs one of upperlower, left, right, midpoint, trapezoid, simpson", argc,
            argv, i);
      return false;
    }
    ++i;
    return true;
  }
  std::fprintf(err, "tavex: unknown option '%s'\n", a);
  printUsage(err);
  return false;
}

// Reads the whole command line of a draw pass; false after a message.
bool readDrawPassRequest(int argc, char** argv, DrawPassRequest& request, std::FILE* err) {
  for (int i = 1; i < argc; ++i) {
    const EditOption taken = takeEdit(argc, argv, i, request.edits, err);
    if (taken == EditOption::Bad) return false;
    if (taken == EditOption::NotAnEdit && !takeDrawPassOption(argc, argv, i, request, err))
      return false;
  }
  if (request.mode == DrawPassRequest::Mode::None) {
    std::fputs(
        "tavex: --lesson, --fdata, --gdata, --size and --rule need --sums, --probe or --render\n",
        err);
    return false;
  }
  if (request.sizeGiven && request.mode != DrawPassRequest::Mode::Render) {
    std::fputs("tavex: --size goes with --render\n", err);
    return false;
  }
  return true;
}

// The picture of one draw pass in the requested file; false after a message.
bool renderRequest(const DrawPassRequest& request, const PlotContext& context,
                   PictureRenderer* renderer, PassResult& pass, std::FILE* err) {
  if (renderer == nullptr) {
    std::fputs("tavex: --render is not available in this build\n", err);
    return false;
  }
  if (!renderer->knowsFileType(request.renderPath)) {
    std::fprintf(err, "tavex: --render: unknown file type of '%s' (use .png, .svg or .pdf)\n",
                 request.renderPath);
    return false;
  }
  std::string error;
  if (!renderer->render(context, request.renderPath, request.width, request.height, pass, error)) {
    std::fprintf(err, "tavex: --render: %s\n", error.c_str());
    return false;
  }
  return true;
}

// The probe panel's lines at x (without the pointer's height) after a draw
// pass; 1 when a draw or probe evaluation failed.
int printProbe(double x, const PlotContext& context, bool drawFailed, std::FILE* out,
               std::FILE* err) {
  FunctionEvaluator evaluator(functionData, context.engine);
  const ProbeText text = probeText(probeReadings(evaluator, x), 0.0);
  std::fprintf(out, "%s\n%s\n%s%s\n", text.x.c_str(), text.value.c_str(), text.slope.c_str(),
               text.curvature.c_str());
  PassReport probe;
  probe.evaluations = evaluator.evaluationCount();
  probe.failures = evaluator.failureCount();
  probe.firstFailure = evaluator.firstFailure();
  reportPass(probe, "probe: ", err);
  return drawFailed || probe.failures > 0 ? 1 : 0;
}

// --sums, --probe and --render: one screen draw pass over the edited data,
// exactly as a click into a plot window draws it; then its data panel, the
// probe at one x, or the picture in a file.
int runDrawPass(int argc, char** argv, std::FILE* out, std::FILE* err,
                PictureRenderer* renderer) {
  DrawPassRequest request;
  if (!readDrawPassRequest(argc, argv, request, err)) return 2;
  applyEdits(request.edits);

  setCurrentRule(request.rule);
  const PlotContext context = programContext();
  PassResult pass;
  if (request.mode == DrawPassRequest::Mode::Render) {
    if (!renderRequest(request, context, renderer, pass, err)) return 2;
  } else {
    // Drawn into a canvas that keeps nothing: only the panels' text is wanted.
    NullWindow window(request.width, request.height);
    GraphFrame frame(&window);
    pass = plot(context, frame, kDrawPass, kToWindow);
    finishOutput(frame);
  }
  reportPass(pass.report, "", err);
  const bool failed = pass.report.failures > 0;
  if (request.mode == DrawPassRequest::Mode::Probe)
    return printProbe(request.probeX, context, failed, out, err);
  for (int i = 0; i < pass.dataPanel.count; ++i) std::fprintf(out, "%s\n", pass.dataPanel.lines[i]);
  return failed ? 1 : 0;
}

}  // namespace

int runCommandLine(int argc, char** argv, bool& handled, std::FILE* out, std::FILE* err,
                   PictureRenderer* renderer) {
  handled = true;
  // No option, or one lesson file to open: the desktop program's.
  if (argc < 2 || (argc == 2 && argv[1][0] != '-')) {
    handled = false;
    return 0;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    printUsage(out);
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::fputs("tavex " TAVEX_VERSION "\n", out);
    return 0;
  }
  if (std::strcmp(argv[1], "--eval") == 0) {
    if (argc < 3) {
      std::fputs("tavex: --eval needs at least one TEXT\n", err);
      printUsage(err);
      return 2;
    }
    return runEval(argc, argv, out);
  }
  if (saveLessonGiven(argc, argv)) return runSaveLesson(argc, argv, err);
  if (std::strcmp(argv[1], "--convergence") == 0) return runConvergence(argc, argv, out, err);
  if (std::strcmp(argv[1], "--tolerance") == 0) return runTolerance(argc, argv, out, err);
  if (std::strcmp(argv[1], "--find") == 0) return runFind(argc, argv, out, err);
  for (const char* option :
       {"--sums", "--probe", "--render", "--size", "--rule", "--fdata", "--gdata",
        "--lesson"})
    if (std::strcmp(argv[1], option) == 0) return runDrawPass(argc, argv, out, err, renderer);
  std::fprintf(err, "tavex: unknown option '%s'\n", argv[1]);
  printUsage(err);
  return 2;
}

int outputStatus(int status, std::FILE* out, std::FILE* err) {
  errno = 0;
  const bool flushed = std::fflush(out) == 0;
  const int error = errno;
  if (flushed && !std::ferror(out)) return status;
  std::fprintf(err, "tavex: cannot write standard output: %s\n",
               error != 0 ? std::strerror(error) : "write error");
  return 2;
}

}  // namespace tavex
