// The expression engine: a table-driven LALR(1) parser that evaluates a
// calculator language while it parses, with its symbol table, name and
// argument stacks and built-in functions. One process-wide instance.
#pragma once

#include <cstdint>

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

using BuiltinFunction = double (*)(int argumentCount, const double* arguments);

struct BuiltinEntry {
  const char* name;
  BuiltinFunction function;
};

struct BuiltinTable {
  static constexpr int kSize = 16;
  static const BuiltinEntry entries[kSize];
};

class ExpressionEngine {
 public:
  static constexpr int kParseStackSize = 37;
  static constexpr int kMessageBufferSize = 84;

  // The one process-wide engine.
  static ExpressionEngine& instance();

  // Parses and evaluates one zero-terminated text.
  ParseStatus runText(const char* text);

  // Empties the character and argument stacks (not the symbol table).
  void resetStacks();

  void pushNameChar(char c);
  const char* popName(int n);
  double& lookupVariable(const char* name);
  void pushArgument(double value);
  const double* popArguments(int n);
  double callBuiltin(int nameLength, int argumentCount);
  void raiseError(const char* message);

  ParseStatus status() const { return status_; }
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
  ExpressionEngine() = default;
  ~ExpressionEngine();

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
};

}  // namespace tavex
