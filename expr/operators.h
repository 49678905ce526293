// SPDX-License-Identifier: GPL-3.0-or-later
// The operators of the expression language, each defined once. From these
// lists the grammar generator (tools/lalrgen.cpp) makes the operators' rules,
// the parser (expr/parser.h) their actions, and the tape (expr/tape.h) its
// operations, their replay code and its dispatch table. Each list calls the
// macro it is given once per operator, in the order of the grammar's rules;
// a function named here is the one in tavex::arithmetic (expr/arithmetic.h).
//
// A plain header without includes: the generator, a host program, reads it too.
#pragma once

// Binary operators, from the loosest binding to the tightest:
//   X(action, level, left, token, right, operation, function, checksDivisor)
// makes the rule "level -> left token_ right" with the semantic action
// A_<action>, whose value is function(left, right), recorded on a tape as
// Tape::Op::<operation>. The first operator of a level also makes the
// level's unit rule "level -> operand", with the operand that is not the
// level itself: the levels whose operators group to the left name themselves
// on the left, "^" names its own level on the right. checksDivisor: a zero
// right operand raises "Divide by Zero" and divides the left one by 1 instead.
#define TAVEX_BINARY_OPERATORS(X)                                       \
  X(OR, lor, lor, OR, land, Or, logicalOr, false)                       \
  X(AND, land, land, AND, eq, And, logicalAnd, false)                   \
  X(EQ, eq, eq, EQEQ, rel, Equal, equal, false)                         \
  X(NE, eq, eq, NE, rel, NotEqual, notEqual, false)                     \
  X(LT, rel, rel, LT, add, Less, less, false)                           \
  X(LE, rel, rel, LE, add, LessEqual, lessEqual, false)                 \
  X(GT, rel, rel, GT, add, Greater, greater, false)                     \
  X(GE, rel, rel, GE, add, GreaterEqual, greaterEqual, false)           \
  X(ADD, add, add, PLUS, mul, Add, add, false)                          \
  X(SUB, add, add, MINUS, mul, Subtract, subtract, false)               \
  X(MUL, mul, mul, STAR, factor, Multiply, multiply, false)             \
  X(DIV, mul, mul, SLASH, factor, Divide, divide, true)                 \
  X(POW, factor, primary, POW, factor, Power, power, false)

// Prefix operators, each the rule "primary -> token_ primary":
//   X(action, token, operation, function)
// with the value function(operand), recorded as Tape::Op::<operation>;
//   KEEP(token)
// a prefix whose value is its operand itself (the rule's action is COPY1).
#define TAVEX_PREFIX_OPERATORS(X, KEEP)          \
  X(NEG, MINUS, Negate, negate)                  \
  KEEP(PLUS)                                     \
  X(NOT, BANG, Not, logicalNot)

// Compound assignments, each the rule "expr -> NAME_ token_ expr":
//   X(action, token, operation, function)
// the variable's new value is function(its value, expr), recorded as
// Tape::Op::<operation> (the binary operator's operation).
#define TAVEX_ASSIGNMENT_OPERATORS(X)            \
  X(ADD_ASSIGN, ADDEQ, Add, add)                 \
  X(SUB_ASSIGN, SUBEQ, Subtract, subtract)       \
  X(MUL_ASSIGN, MULEQ, Multiply, multiply)       \
  X(DIV_ASSIGN, DIVEQ, Divide, divide)

// For a list entry that a reader leaves out.
#define TAVEX_NO_OPERATOR(...)
