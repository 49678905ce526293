// The symbol table fills up over the whole run; kept in its own program so
// that the other engine tests keep room for their variables.
#include <gtest/gtest.h>

#include <string>

#include "expr/engine.h"

namespace tavex {
namespace {

TEST(SymbolTableFull, HundredFirstNameUsesTheScratchCellInEveryRun) {
  ExpressionEngine& e = ExpressionEngine::instance();
  for (int i = 0; e.symbolTable().count < SymbolTable::kCapacity; ++i) {
    e.resetStacks();
    ASSERT_EQ(e.runText(("v" + std::to_string(i) + " = " + std::to_string(i)).c_str()),
              ParseStatus::Accepted);
  }
  for (int round = 0; round < 2; ++round) {
    e.resetStacks();
    EXPECT_EQ(e.runText("extra = 7, v1 = 11"), ParseStatus::SemanticError);
    EXPECT_STREQ(e.errorRecord().message, "Symbol Table Full");
    EXPECT_EQ(e.scratchCell(), 7);
  }
  // The existing variables go on working.
  e.resetStacks();
  EXPECT_EQ(e.runText("v1 = v2 + 40"), ParseStatus::Accepted);
  const SymbolTable& st = e.symbolTable();
  EXPECT_EQ(st.count, SymbolTable::kCapacity);
  for (int i = 0; i < st.count; ++i)
    if (std::string(st.entries[i].name) == "v1") {
      EXPECT_EQ(st.entries[i].value, 42);
    }
}

}  // namespace
}  // namespace tavex
