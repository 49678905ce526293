// SPDX-License-Identifier: GPL-3.0-or-later
// `tavex --tolerance EPS [EDIT...]` and `tavex --find [EDIT...]`: the n
// that guarantees a tolerance for each rule, and the zeros, extrema and
// inflection points of f on [x1, x2], on standard output.
#pragma once

#include <cstdio>

namespace tavex {

// argv[1] is "--tolerance". Prints "rule\tK\tat\tnBound\tnObserved" and a
// line per rule. Exit status 0, 1 when f failed or a K could not be
// estimated, 2 for a bad command line or a tolerance that cannot be met.
int runTolerance(int argc, char** argv, std::FILE* out, std::FILE* err);

// argv[1] is "--find". Prints "zero\tx\tf", "max\tx\tf", "min\tx\tf" and
// "inflection\tx\tf" lines in increasing x. Exit status 0, 1 when f failed
// or could not be resolved somewhere, 2 for a bad command line.
int runFind(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace tavex
