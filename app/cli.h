// Command-line entry: the options through which users (and tests) check how
// Tavex reads a formula and what it computes, without opening a window.
#pragma once

#include <cstdio>

namespace tavex {

// Runs the command line if argv holds one of the options; sets handled to
// false when it holds none (the caller then starts the desktop program).
// Returns the process exit status.
int runCommandLine(int argc, char** argv, bool& handled, std::FILE* out = stdout,
                   std::FILE* err = stderr);

// status, or 2 after a message on err when what was written to out could
// not all be written (checked by flushing it).
int outputStatus(int status, std::FILE* out, std::FILE* err);

// Prints the usage text.
void printUsage(std::FILE* to);

}  // namespace tavex
