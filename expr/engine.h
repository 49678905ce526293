// SPDX-License-Identifier: GPL-3.0-or-later
// The expression engine: a table-driven LALR(1) parser that evaluates a
// calculator language while it parses, with its symbol table, name and
// argument stacks and built-in functions. The program makes one engine and
// passes it where f(x) is evaluated; its variables live as long as it does.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tavex {

enum class ParseStatus : int {
  Running = 0,
  Accepted = 1,
  SyntaxError = 2,
  StackOverflow = 4,
  SemanticError = 5,
};

// Name of a status as the command line and the status bar print it.
const char* statusName(ParseStatus status);

// One parse-stack value: a double or a 32-bit integer, according to the symbol.
union ValueCell {
  double d;
  std::int32_t i;
};

struct ErrorRecord {
  const char* message = "";
  int errorLine = 0;
  int errorColumn = 0;
};

struct SymbolEntry {
  char* name;
  double value;
};

// Variables of the whole run, sorted by unsigned byte comparison of names.
struct SymbolTable {
  static constexpr int kCapacity = 100;
  SymbolEntry entries[kCapacity];
  int count = 0;
};

struct CharacterStack {
  static constexpr int kCapacity = 1000;
  char chars[kCapacity + 1];
  int top = 0;
};

struct ArgumentStack {
  static constexpr int kCapacity = 200;
  double values[kCapacity];
  int top = 0;
};

class ExpressionEngine;

// A built-in function: the engine it runs in (to raise its errors), the
// argument count and the address of the first argument.
using BuiltinFunction = double (*)(ExpressionEngine& engine, int argumentCount,
                                   const double* arguments);

struct BuiltinEntry {
  const char* name;
  BuiltinFunction function;
  // The mathematical function itself, for a caller that has checked the
  // argument count already: exactly one of the two is set.
  double (*unary)(double) = nullptr;
  double (*binary)(double, double) = nullptr;
};

struct BuiltinTable {
  static constexpr int kSize = 16;
  static const BuiltinEntry entries[kSize];
};

namespace detail {
template <class Observer>
class Parser;
}
class Tape;
class TapeRecorder;

class ExpressionEngine {
 public:
  static constexpr int kParseStackSize = 37;
  static constexpr int kMessageBufferSize = 84;

  // An empty symbol table. With TAVEX_TRACE_PARSE set in the environment the
  // engine traces every parse to standard error.
  ExpressionEngine();
  ~ExpressionEngine();

  // Parses and evaluates one zero-terminated text.
  ParseStatus runText(const char* text);

  // Writes each shift and reduction of later runs to `to` (null: no trace).
  void setTrace(std::FILE* to) { trace_ = to; }
  bool tracing() const { return trace_ != nullptr; }

  // Empties the character and argument stacks (not the symbol table).
  void resetStacks();

  void pushNameChar(char c);
  const char* popName(int n);
  double& lookupVariable(const char* name);
  void pushArgument(double value);
  const double* popArguments(int n);
  // called, when given, receives the entry of the function called (null
  // for an unknown name).
  double callBuiltin(int nameLength, int argumentCount, const BuiltinEntry** called = nullptr);
  void raiseError(const char* message);

  ParseStatus status() const { return status_; }
  // How many errors have been raised over the engine's life.
  std::uint64_t errorsRaised() const { return errorsRaised_; }
  int inputLine() const { return inputLine_; }
  int inputColumn() const { return inputColumn_; }
  const ErrorRecord& errorRecord() const { return errorRecord_; }
  const SymbolTable& symbolTable() const { return symbolTable_; }
  double scratchCell() const { return scratchCell_; }
  const CharacterStack& characterStack() const { return characterStack_; }
  const ArgumentStack& argumentStack() const { return argumentStack_; }

  ExpressionEngine(const ExpressionEngine&) = delete;
  ExpressionEngine& operator=(const ExpressionEngine&) = delete;

 private:
  template <class Observer>
  friend class detail::Parser;
  friend class Tape;          // replays a recorded run
  friend class TapeRecorder;  // records one

  [[gnu::cold]] void syntaxError(const char* at, int term, int examinedState);
  [[gnu::cold]] void stackOverflow();

  ParseStatus status_ = ParseStatus::Running;
  int inputLine_ = 1;
  int inputColumn_ = 1;
  ErrorRecord errorRecord_;
  char messageBuffer_[kMessageBufferSize] = {};

  SymbolTable symbolTable_;
  double scratchCell_ = 0.0;
  CharacterStack characterStack_;
  ArgumentStack argumentStack_;
  std::FILE* trace_ = nullptr;
  std::uint64_t errorsRaised_ = 0;
};

}  // namespace tavex
