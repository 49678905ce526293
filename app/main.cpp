#include "app/cli.h"
#ifdef TAVEX_DESKTOP
#include "app/desktop.h"
#endif

int main(int argc, char** argv) {
  // Command-line options first: they need no display.
  bool handled = false;
  int status = tavex::runCommandLine(argc, argv, handled);
  if (handled) return tavex::outputStatus(status, stdout, stderr);
#ifdef TAVEX_DESKTOP
  return tavex::runDesktop(argc, argv);
#else
  tavex::printUsage(stderr);
  return 2;
#endif
}
