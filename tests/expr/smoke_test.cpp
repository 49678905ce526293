#include <gtest/gtest.h>
#include "expr/engine.h"
TEST(Smoke, Pow) { auto& e = tavex::ExpressionEngine::instance(); e.resetStacks(); EXPECT_EQ(e.runText("y = 2**3**2"), tavex::ParseStatus::Accepted); }
