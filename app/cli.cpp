#include "app/cli.h"

#include <cstring>

#include "expr/engine.h"

namespace tavex {

void printUsage(std::FILE* to) {
  std::fputs(
      "usage: tavex                       open the main window\n"
      "       tavex --eval TEXT [TEXT...]  run each TEXT through the expression engine\n",
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
  std::fprintf(err, "tavex: unknown option '%s'\n", argv[1]);
  printUsage(err);
  return 2;
}

}  // namespace tavex
