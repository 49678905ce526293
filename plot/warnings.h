// SPDX-License-Identifier: GPL-3.0-or-later
// What a pass says beside its picture when the data do not read as they
// look: numbers that are not read whole, values cut to their field, and a
// result taken from another variable than the one the function line assigns.
#pragma once

#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"

namespace tavex {

// "x2 = pi read as 0", "n = 1e9 read as 1", "title: value cut to 59
// characters", for the interval's entries and the graph data's numbers and
// captions, in record order.
std::vector<std::string> entryWarnings(const DataEntry* functionData, const DataEntry* graphData);

// "result taken from z, which sorts after y" when the variable that sorts
// last in table (each evaluation's result) is not the one the function line
// assigns; empty otherwise, and when the line assigns no variable.
std::string resultWarning(const DataEntry* functionData, const SymbolTable& table);

// The name a statement list assigns first ("y" for "y    = x*x"), or empty
// when it does not start with an assignment.
std::string assignedName(const char* line);

}  // namespace tavex
