// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line entry: the options through which users (and tests) check how
// Tavex reads a formula and what it computes, without opening a window.
#pragma once

#include <cstdio>
#include <string>

#include "plot/plot.h"

namespace tavex {

// What --render draws through: one screen pass into a picture file. A front
// end that can write pictures provides it; without one, --render says it is
// not available in this build.
class PictureRenderer {
 public:
  virtual ~PictureRenderer() = default;
  // Whether the path ends in a file type the renderer writes.
  virtual bool knowsFileType(const std::string& path) = 0;
  // Draws one screen pass in context into the file at path (width by height
  // pixels) and sets pass to what it produced; false with a reason in error.
  virtual bool render(const PlotContext& context, const std::string& path, int width, int height,
                      PassResult& pass, std::string& error) = 0;
};

// Runs the command line if argv holds one of the options; sets handled to
// false when it holds none (the caller then starts the desktop program).
// Returns the process exit status.
int runCommandLine(int argc, char** argv, bool& handled, std::FILE* out = stdout,
                   std::FILE* err = stderr, PictureRenderer* renderer = nullptr);

// status, or 2 after a message on err when what was written to out could
// not all be written (checked by flushing it).
int outputStatus(int status, std::FILE* out, std::FILE* err);

// Prints the usage text.
void printUsage(std::FILE* to);

}  // namespace tavex
