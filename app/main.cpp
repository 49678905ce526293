#include "app/cli.h"

int main(int argc, char** argv) {
  bool handled = false;
  int status = tavex::runCommandLine(argc, argv, handled);
  if (handled) return status;
  tavex::printUsage(stderr);
  return 2;
}
