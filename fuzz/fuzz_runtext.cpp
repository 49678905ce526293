// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes through resetStacks + runText.
#include <cstddef>
#include <cstdint>
#include <string>

#include "expr/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);  // zero-terminated copy
  tavex::ExpressionEngine e;  // a fresh symbol table for every input
  e.resetStacks();
  e.runText(text.c_str());
  return 0;
}
