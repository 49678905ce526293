// SPDX-License-Identifier: GPL-3.0-or-later
// `tavex --convergence [--upto N] [EDIT...]`: the convergence table of the
// edited data on standard output, tab-separated, with its header line.
#pragma once

#include <cstdio>

namespace tavex {

// argv[1] is "--convergence". Returns the exit status: 0, 1 when an
// evaluation of f failed, 2 for a bad command line.
int runConvergence(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace tavex
