#include "app/cli.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "plot/draw_pass.h"

namespace tavex {

void printUsage(std::FILE* to) {
  std::fputs(
      "usage: tavex                       open the main window\n"
      "       tavex --eval TEXT [TEXT...]  run each TEXT through the expression engine\n"
      "       tavex --sums [EDIT...]       print the data panel of one draw pass\n"
      "       tavex --probe X [EDIT...]    print the probe at x = X after one draw pass\n"
      "  EDIT: --fdata NAME=VALUE  set a function data entry (y a b c d e x1 x2 n)\n"
      "        --gdata NAME=VALUE  set a graph data entry (x0 x1 y0 y1 n t1 tt1 t2 tt2\n"
      "                            tsize xlab ylab title)\n",
      to);
}

namespace {

int runEval(int argc, char** argv, std::FILE* out) {
  ExpressionEngine& engine = ExpressionEngine::instance();
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

// One --fdata or --gdata edit, checked before anything is changed.
struct RecordEdit {
  DataEntry* entry;
  const char* value;
};

// Checks "NAME=VALUE" against a record; on success fills edit.
bool parseEdit(const char* option, const char* argument, DataEntry* record, int entries,
               RecordEdit& edit, std::FILE* err) {
  const char* equals = std::strchr(argument, '=');
  if (!equals) {
    std::fprintf(err, "tavex: %s needs NAME=VALUE, got '%s'\n", option, argument);
    return false;
  }
  const std::string_view name(argument, static_cast<size_t>(equals - argument));
  const int index = findEntry(record, entries, name);
  if (index < 0) {
    std::fprintf(err, "tavex: %s: unknown name '%.*s'\n", option, static_cast<int>(name.size()),
                 name.data());
    return false;
  }
  // The composed line must fit the entry's line field.
  const size_t room = DataEntry::kLineSize - 1 - (std::strlen(record[index].name) + 3);
  if (std::strlen(equals + 1) > room) {
    std::fprintf(err, "tavex: %s %.*s: value longer than %zu characters\n", option,
                 static_cast<int>(name.size()), name.data(), room);
    return false;
  }
  edit = RecordEdit{&record[index], equals + 1};
  return true;
}

// A whole argument as a number, for --probe.
bool parseNumber(const char* text, double& value) {
  std::string_view s(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// --sums and --probe: one draw pass over the edited data, then its data panel
// or, after it, one probe pass.
int runDrawPass(int argc, char** argv, std::FILE* out, std::FILE* err) {
  bool sums = false, probe = false;
  double probeX = 0.0;
  RecordEdit edits[64];
  int editCount = 0;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool isFdata = std::strcmp(a, "--fdata") == 0;
    if (isFdata || std::strcmp(a, "--gdata") == 0) {
      if (i + 1 >= argc) {
        std::fprintf(err, "tavex: %s needs NAME=VALUE\n", a);
        return 2;
      }
      if (editCount == static_cast<int>(sizeof edits / sizeof edits[0])) {
        std::fputs("tavex: too many data edits\n", err);
        return 2;
      }
      if (!parseEdit(a, argv[++i], isFdata ? functionData : graphData,
                     isFdata ? kFunctionDataEntries : kGraphDataEntries, edits[editCount++], err))
        return 2;
    } else if (std::strcmp(a, "--sums") == 0 && !sums && !probe) {
      sums = true;
    } else if (std::strcmp(a, "--probe") == 0 && !sums && !probe) {
      if (i + 1 >= argc || !parseNumber(argv[i + 1], probeX)) {
        std::fprintf(err, "tavex: --probe needs a number X%s%s%s\n", i + 1 < argc ? ", got '" : "",
                     i + 1 < argc ? argv[i + 1] : "", i + 1 < argc ? "'" : "");
        return 2;
      }
      probe = true;
      ++i;
    } else if (std::strcmp(a, "--sums") == 0 || std::strcmp(a, "--probe") == 0) {
      std::fputs("tavex: give one of --sums and --probe, once\n", err);
      return 2;
    } else {
      std::fprintf(err, "tavex: unknown option '%s'\n", a);
      printUsage(err);
      return 2;
    }
  }
  if (!sums && !probe) {
    std::fputs("tavex: --fdata and --gdata need --sums or --probe\n", err);
    return 2;
  }
  for (int k = 0; k < editCount; ++k) {
    char line[DataEntry::kLineSize];
    std::snprintf(line, sizeof line, "%s = %s", edits[k].entry->name, edits[k].value);
    acceptLine(*edits[k].entry, line);
  }

  ExpressionEngine& engine = ExpressionEngine::instance();
  RiemannSums passSums;
  FunctionInterval interval;
  {
    interval = readFunctionInterval();
    FunctionEvaluator evaluator(functionData, engine.symbolTable());
    passSums = drawPassEvaluations(evaluator, interval, readCurveRange(), nullptr, nullptr);
  }
  if (sums) {
    const DataPanelLines panel = dataPanelLines(interval, passSums);
    for (int i = 0; i < panel.count; ++i) std::fprintf(out, "%s\n", panel.lines[i]);
    return 0;
  }
  readFunctionInterval();
  FunctionEvaluator evaluator(functionData, engine.symbolTable());
  const ProbeReadings r = probeReadings(evaluator, probeX);
  std::fprintf(out, "x = %.5f\ny = f(x) = %.5f\nf'(x) = %.5f   f\"(x) = %.5f\n", r.x, r.y, r.d1,
               r.d2);
  return 0;
}

}  // namespace

int runCommandLine(int argc, char** argv, bool& handled, std::FILE* out, std::FILE* err) {
  handled = true;
  if (argc < 2) {
    handled = false;
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
  if (std::strcmp(argv[1], "--sums") == 0 || std::strcmp(argv[1], "--probe") == 0 ||
      std::strcmp(argv[1], "--fdata") == 0 || std::strcmp(argv[1], "--gdata") == 0)
    return runDrawPass(argc, argv, out, err);
  std::fprintf(err, "tavex: unknown option '%s'\n", argv[1]);
  printUsage(err);
  return 2;
}

}  // namespace tavex
