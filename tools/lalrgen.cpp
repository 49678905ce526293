// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time generator of the expression parser's LALR(1) tables.
//
// The grammar works on character classes (plus the two-character operators
// and comment delimiters, which the lexer forms only where the current state
// accepts them). White space after a token is its own symbol and is folded
// into the token by a rule "T' -> T | T WS", so that a token and the blanks
// after it end up as one stack entry.
//
// Usage: lalrgen OUTPUT_HEADER
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "expr/operators.h"

namespace {

// Terminals, in the order the runtime lexer uses. Index 0 is eof.
const std::vector<std::string> kTerminals = {
    "EOF",   "LETTER", "E",     "DIGIT", "SP",    "NL",    "ASSIGN", "COLON", "QUEST",
    "LT",    "GT",     "PLUS",  "MINUS", "STAR",  "SLASH", "RPAR",   "LPAR",  "BANG",
    "COMMA", "SEMI",   "DOT",   "OTHER", "POW",   "MULEQ", "ADDEQ",  "SUBEQ", "DIVEQ",
    "LE",    "GE",     "EQEQ",  "NE",    "AND",   "OR",    "BCOPEN", "BCCLOSE", "LCOPEN",
};
// Single character classes: everything up to and including OTHER.
const int kFirstTwoChar = 22;

// Operator tokens that may carry trailing white space.
const std::vector<std::string> kOperatorTokens = {
    "ASSIGN", "COLON", "QUEST", "LT",    "GT",    "PLUS",  "MINUS", "STAR", "SLASH",
    "RPAR",   "LPAR",  "BANG",  "COMMA", "SEMI",  "POW",   "MULEQ", "ADDEQ", "SUBEQ",
    "DIVEQ",  "LE",    "GE",    "EQEQ",  "NE",    "AND",   "OR",
};

struct Production {
  int lhs;
  std::vector<int> rhs;
  std::string action;
};

struct Grammar {
  std::vector<std::string> names;  // terminals first, then nonterminals
  std::map<std::string, int> index;
  std::vector<Production> prods;
  int numTerms = 0;

  int symbol(const std::string& n) {
    auto it = index.find(n);
    if (it != index.end()) return it->second;
    int id = static_cast<int>(names.size());
    names.push_back(n);
    index[n] = id;
    return id;
  }
  bool isTerm(int s) const { return s < numTerms; }

  void add(const std::string& lhs, const std::string& rhs, const std::string& action) {
    Production p;
    p.lhs = symbol(lhs);
    std::istringstream in(rhs);
    std::string s;
    while (in >> s) p.rhs.push_back(symbol(s));
    p.action = action;
    prods.push_back(p);
  }
};

// White space and comments, which the grammar folds into the token before them.
void addLayout(Grammar& g) {
  g.add("WS0", "", "NONE");
  g.add("WS0", "WS", "NONE");
  g.add("WS", "SP", "NONE");
  g.add("WS", "NL", "NONE");
  g.add("WS", "BCOPEN cbody BCCLOSE", "NONE");
  g.add("WS", "LCOPEN lbody NL", "NONE");
  g.add("WS", "WS SP", "NONE");
  g.add("WS", "WS NL", "NONE");
  g.add("WS", "WS BCOPEN cbody BCCLOSE", "NONE");
  g.add("WS", "WS LCOPEN lbody NL", "NONE");
  g.add("cbody", "", "NONE");
  g.add("lbody", "", "NONE");
  for (int t = 1; t < kFirstTwoChar; ++t) {
    g.add("cbody", "cbody " + kTerminals[t], "NONE");
    if (kTerminals[t] != "NL") g.add("lbody", "lbody " + kTerminals[t], "NONE");
  }
  for (const auto& op : kOperatorTokens) {
    g.add(op + "_", op, "COPY0");
    g.add(op + "_", op + " WS", "COPY0");
  }
  g.add("NAME_", "name", "COPY0");
  g.add("NAME_", "name WS", "COPY0");
  g.add("REAL_", "real", "COPY0");
  g.add("REAL_", "real WS", "COPY0");
}

// The binary operators of expr/operators.h, level by level.
struct BinaryOperator {
  std::string action, level, left, token, right;
};
#define TAVEX_GRAMMAR_BINARY(action, level, left, token, right, operation, function, checks) \
  {#action, #level, #left, #token, #right},
const std::vector<BinaryOperator> kBinaryOperators = {TAVEX_BINARY_OPERATORS(TAVEX_GRAMMAR_BINARY)};
#undef TAVEX_GRAMMAR_BINARY

void addBinaryOperators(Grammar& g) {
  std::string level;
  for (const auto& op : kBinaryOperators) {
    if (op.level != level) {
      level = op.level;
      g.add(level, op.left == level ? op.right : op.left, "COPY0");
    }
    g.add(level, op.left + " " + op.token + "_ " + op.right, op.action);
  }
}

// Statements, assignments, the conditional and the operators down to a primary.
void addExpressions(Grammar& g) {
  g.add("exprs", "", "NONE");
  g.add("exprs", "expr", "NONE");
  g.add("exprs", "exprs SEP", "NONE");
  g.add("exprs", "exprs SEP expr", "NONE");
  g.add("SEP", "COMMA_", "NONE");
  g.add("SEP", "SEMI_", "NONE");

  g.add("expr", "cond", "COPY0");
  g.add("expr", "NAME_ ASSIGN_ expr", "ASSIGN");
#define TAVEX_GRAMMAR_ASSIGNMENT(action, token, operation, function) \
  g.add("expr", "NAME_ " #token "_ expr", #action);
  TAVEX_ASSIGNMENT_OPERATORS(TAVEX_GRAMMAR_ASSIGNMENT)
#undef TAVEX_GRAMMAR_ASSIGNMENT
  const std::string& loosest = kBinaryOperators.front().level;
  g.add("cond", loosest, "COPY0");
  g.add("cond", loosest + " QUEST_ expr COLON_ cond", "COND");
  addBinaryOperators(g);
  g.add("primary", "REAL_", "COPY0");
  g.add("primary", "NAME_", "VAR");
  g.add("primary", "NAME_ LPAR_ args RPAR_", "CALL");
  g.add("primary", "LPAR_ expr RPAR_", "COPY1");
#define TAVEX_GRAMMAR_PREFIX(action, token, operation, function) \
  g.add("primary", #token "_ primary", #action);
#define TAVEX_GRAMMAR_KEEP(token) g.add("primary", #token "_ primary", "COPY1");
  TAVEX_PREFIX_OPERATORS(TAVEX_GRAMMAR_PREFIX, TAVEX_GRAMMAR_KEEP)
#undef TAVEX_GRAMMAR_PREFIX
#undef TAVEX_GRAMMAR_KEEP
  g.add("args", "", "ARGS0");
  g.add("args", "arglist", "COPY0");
  g.add("arglist", "expr", "ARG1");
  g.add("arglist", "arglist COMMA_ expr", "ARGN");
}

// Numbers and names, character by character.
void addNumbersAndNames(Grammar& g) {
  g.add("real", "simple", "COPY0");
  g.add("real", "simple E exponent", "EXP_PLUS");
  g.add("real", "simple E PLUS exponent", "EXP_PLUS_SIGN");
  g.add("real", "simple E MINUS exponent", "EXP_MINUS");
  g.add("simple", "int", "COPY0");
  g.add("simple", "int DOT", "COPY0");
  g.add("simple", "int DOT fraction", "INT_FRAC");
  g.add("simple", "DOT fraction", "COPY1");
  g.add("int", "DIGIT", "INT1");
  g.add("int", "int DIGIT", "INTN");
  g.add("fraction", "DIGIT", "FRAC1");
  g.add("fraction", "DIGIT fraction", "FRACN");
  g.add("exponent", "DIGIT", "EXPO1");
  g.add("exponent", "exponent DIGIT", "EXPON");
  g.add("name", "LETTER", "NAME1");
  g.add("name", "E", "NAME1");
  g.add("name", "name LETTER", "NAMEN");
  g.add("name", "name E", "NAMEN");
  g.add("name", "name DIGIT", "NAMEN");
}

Grammar buildGrammar() {
  Grammar g;
  for (const auto& t : kTerminals) g.symbol(t);
  g.numTerms = static_cast<int>(kTerminals.size());
  g.add("input", "WS0 exprs EOF", "NONE");
  addLayout(g);
  addExpressions(g);
  addNumbersAndNames(g);
  return g;
}

using Mask = std::uint64_t;

// Steps of the driver, as written into the header (see there).
enum class Step : unsigned { Error, Shift, ShiftReduce, Reduce, Accept, Extend, Start, Pop };
constexpr int kPayloadBits = 13;
using Item = std::pair<int, int>;  // production, dot

struct Generator {
  const Grammar& g;
  std::vector<bool> nullable;
  std::vector<Mask> first;
  std::vector<std::vector<Item>> kernels;
  std::map<std::vector<Item>, int> kernelIndex;
  std::vector<std::map<int, int>> gotos;         // state -> symbol -> state
  std::vector<std::vector<Mask>> kernelLA;       // per kernel item

  explicit Generator(const Grammar& gr) : g(gr) {}

  void computeFirst() {
    size_t n = g.names.size();
    nullable.assign(n, false);
    first.assign(n, 0);
    for (int t = 0; t < g.numTerms; ++t) first[t] = Mask(1) << t;
    bool changed = true;
    while (changed) {
      changed = false;
      for (const auto& p : g.prods) {
        bool allNull = true;
        Mask f = 0;
        for (int s : p.rhs) {
          f |= first[s];
          if (!nullable[s]) { allNull = false; break; }
        }
        if ((first[p.lhs] | f) != first[p.lhs]) { first[p.lhs] |= f; changed = true; }
        if (allNull && !nullable[p.lhs]) { nullable[p.lhs] = true; changed = true; }
      }
    }
  }

  // FIRST of rhs[from..] and whether that tail is nullable.
  std::pair<Mask, bool> firstOfTail(const Production& p, size_t from) const {
    Mask f = 0;
    for (size_t i = from; i < p.rhs.size(); ++i) {
      f |= first[p.rhs[i]];
      if (!nullable[p.rhs[i]]) return {f, false};
    }
    return {f, true};
  }

  std::vector<Item> closure0(const std::vector<Item>& kernel) const {
    std::vector<Item> items = kernel;
    std::set<int> added;
    for (size_t i = 0; i < items.size(); ++i) {
      const auto& p = g.prods[items[i].first];
      if (items[i].second >= static_cast<int>(p.rhs.size())) continue;
      int s = p.rhs[items[i].second];
      if (g.isTerm(s) || added.count(s)) continue;
      added.insert(s);
      for (int q = 0; q < static_cast<int>(g.prods.size()); ++q)
        if (g.prods[q].lhs == s) items.push_back({q, 0});
    }
    return items;
  }

  int stateFor(const std::vector<Item>& kernel) {
    auto it = kernelIndex.find(kernel);
    if (it != kernelIndex.end()) return it->second;
    int id = static_cast<int>(kernels.size());
    kernels.push_back(kernel);
    kernelIndex[kernel] = id;
    gotos.emplace_back();
    return id;
  }

  void buildLR0() {
    stateFor({{0, 0}});
    for (size_t st = 0; st < kernels.size(); ++st) {
      std::vector<Item> items = closure0(kernels[st]);
      std::map<int, std::vector<Item>> next;
      for (const auto& it : items) {
        const auto& p = g.prods[it.first];
        if (it.second < static_cast<int>(p.rhs.size()))
          next[p.rhs[it.second]].push_back({it.first, it.second + 1});
      }
      for (auto& [sym, k] : next) {
        std::sort(k.begin(), k.end());
        k.erase(std::unique(k.begin(), k.end()), k.end());
        int target = stateFor(k);
        gotos[st][sym] = target;
      }
    }
  }

  // LR(1) closure of a state's kernel with the current kernel lookaheads.
  std::vector<std::pair<Item, Mask>> closure1(int st) const {
    std::vector<Item> items = closure0(kernels[st]);
    std::map<Item, size_t> pos;
    for (size_t i = 0; i < items.size(); ++i) pos[items[i]] = i;
    std::vector<Mask> la(items.size(), 0);
    for (size_t i = 0; i < kernels[st].size(); ++i) la[i] = kernelLA[st][i];
    bool changed = true;
    while (changed) {
      changed = false;
      for (size_t i = 0; i < items.size(); ++i) {
        const auto& p = g.prods[items[i].first];
        if (items[i].second >= static_cast<int>(p.rhs.size())) continue;
        int s = p.rhs[items[i].second];
        if (g.isTerm(s)) continue;
        auto [f, nul] = firstOfTail(p, items[i].second + 1);
        Mask add = f | (nul ? la[i] : 0);
        for (int q = 0; q < static_cast<int>(g.prods.size()); ++q) {
          if (g.prods[q].lhs != s) continue;
          size_t j = pos.at({q, 0});
          if ((la[j] | add) != la[j]) { la[j] |= add; changed = true; }
        }
      }
    }
    std::vector<std::pair<Item, Mask>> out;
    for (size_t i = 0; i < items.size(); ++i) out.push_back({items[i], la[i]});
    return out;
  }

  void computeLookaheads() {
    kernelLA.resize(kernels.size());
    for (size_t st = 0; st < kernels.size(); ++st) kernelLA[st].assign(kernels[st].size(), 0);
    std::vector<int> work;
    std::vector<bool> queued(kernels.size(), true);
    for (int st = static_cast<int>(kernels.size()) - 1; st >= 0; --st) work.push_back(st);
    while (!work.empty()) {
      int st = work.back();
      work.pop_back();
      queued[st] = false;
      for (const auto& [item, la] : closure1(st)) {
        const auto& p = g.prods[item.first];
        if (item.second >= static_cast<int>(p.rhs.size())) continue;
        int target = gotos[st].at(p.rhs[item.second]);
        const auto& k = kernels[target];
        size_t j = std::find(k.begin(), k.end(), Item{item.first, item.second + 1}) - k.begin();
        Mask& m = kernelLA[target][j];
        if ((m | la) != m) {
          m |= la;
          if (!queued[target]) { queued[target] = true; work.push_back(target); }
        }
      }
    }
  }
};

// The parser tables: an action per state and terminal, each classified by
// the step the driver takes for it, so that the driver dispatches on one
// field (see the decoding helpers written into the header).
struct Tables {
  int nStates = 0, nTerms = 0, nNonterms = 0;
  std::vector<std::vector<unsigned>> action;
  std::vector<int> defaultRule;
  std::vector<std::vector<int>> gotoTable;
  std::vector<std::vector<int>> chainRows;  // see computeChains
  std::vector<std::vector<int>> chainOf;
};

unsigned makeAction(Step step, int payload) {
  return static_cast<unsigned>(step) << kPayloadBits | static_cast<unsigned>(payload);
}

class ActionBuilder {
 public:
  ActionBuilder(const Grammar& g, const Generator& gen, Tables& t) : g_(g), gen_(gen), t_(t) {}

  // Fills every state's actions, gotos and default rule; the number of conflicts.
  int build() {
    t_.action.assign(t_.nStates, std::vector<unsigned>(t_.nTerms, 0));
    t_.defaultRule.assign(t_.nStates, -1);
    t_.gotoTable.assign(t_.nStates, std::vector<int>(t_.nNonterms, -1));
    for (int st = 0; st < t_.nStates; ++st) fillState(st);
    return conflicts_;
  }

 private:
  bool isCopy(int r) const {
    const auto& a = g_.prods[r].action;
    return a == "NONE" || a == "COPY0" || a == "COPY1";
  }
  bool extendsItself(int r) const {
    const auto& p = g_.prods[r];
    return p.rhs.size() == 2 && p.rhs[0] == p.lhs && g_.isTerm(p.rhs[1]);
  }
  bool startsSymbol(int r) const {
    const auto& a = g_.prods[r].action;
    return g_.prods[r].rhs.size() == 1 &&
           (a == "NAME1" || a == "INT1" || a == "EXPO1" || a == "NONE");
  }
  // A state whose only item is one complete item: entering it means reducing at once.
  int singleReduce(int st) const {
    const auto& k = gen_.kernels[st];
    if (k.size() != 1) return -1;
    const auto& p = g_.prods[k[0].first];
    return k[0].second == static_cast<int>(p.rhs.size()) ? k[0].first : -1;
  }
  // The action on terminal s, which leads to state target.
  unsigned shiftAction(int s, int target) const {
    const int sr = singleReduce(target);
    if (s == 0) return makeAction(Step::Accept, 0);
    if (sr >= 0 && extendsItself(sr)) return makeAction(Step::Extend, sr);
    if (sr >= 0 && startsSymbol(sr)) return makeAction(Step::Start, sr);
    if (sr >= 0) return makeAction(Step::ShiftReduce, sr);
    return makeAction(Step::Shift, target);
  }
  void setAction(int st, int t, unsigned a, int reduced) {
    unsigned& cell = t_.action[st][t];
    if (cell && cell != a) {
      if (reduced < 0)
        std::fprintf(stderr, "conflict in state %d on %s\n", st, g_.names[t].c_str());
      else
        std::fprintf(stderr, "conflict in state %d on %s (reduce %d)\n", st, g_.names[t].c_str(),
                     reduced);
      ++conflicts_;
    }
    cell = a;
  }
  void fillState(int st) {
    std::map<int, int> reduceCount;
    for (const auto& [item, la] : gen_.closure1(st)) {
      const auto& p = g_.prods[item.first];
      if (item.second < static_cast<int>(p.rhs.size())) {
        const int s = p.rhs[item.second];
        const int target = gen_.gotos[st].at(s);
        if (g_.isTerm(s)) setAction(st, s, shiftAction(s, target), -1);
        else t_.gotoTable[st][s - t_.nTerms] = target;
      } else if (item.first != 0) {
        const bool pop = isCopy(item.first) && !p.rhs.empty();
        const unsigned a = makeAction(pop ? Step::Pop : Step::Reduce, item.first);
        for (int t = 0; t < t_.nTerms; ++t)
          if (la >> t & 1) setAction(st, t, a, item.first);
        reduceCount[item.first] += __builtin_popcountll(la);
      }
    }
    int best = -1, bestCount = -1;
    for (auto [r, c] : reduceCount)
      if (c > bestCount) { best = r; bestCount = c; }
    t_.defaultRule[st] = best;
  }

  const Grammar& g_;
  const Generator& gen_;
  Tables& t_;
  int conflicts_ = 0;
};

// Chains of explicit reductions by rules of one symbol without an action
// only change the state, and the state they end in depends on the state
// below the top entry, the symbol reduced to and the lookahead. Tabulate
// where each chain ends, so that the parser takes it in one step. A chain is
// cut where the two-character terminals a lookahead could form are not
// accepted alike before and after a step (the lookahead is then read again).
class ChainBuilder {
 public:
  ChainBuilder(const Grammar& g, Tables& t) : g_(g), t_(t) {}

  void build() {
    std::map<std::vector<int>, int> rowIndex;
    t_.chainOf.assign(t_.nStates, std::vector<int>(t_.nNonterms, -1));
    for (int from = 0; from < t_.nStates; ++from) {
      for (int n = 0; n < t_.nNonterms; ++n) {
        const int s0 = t_.gotoTable[from][n];
        if (s0 < 0) continue;
        std::vector<int> row(t_.nTerms);
        bool any = false;
        for (int t = 0; t < t_.nTerms; ++t) {
          row[t] = chainEnd(from, s0, t);
          if (row[t] != s0) any = true;
        }
        if (!any) continue;
        auto it = rowIndex.find(row);
        if (it == rowIndex.end()) {
          it = rowIndex.emplace(row, static_cast<int>(t_.chainRows.size())).first;
          t_.chainRows.push_back(row);
        }
        t_.chainOf[from][n] = it->second;
      }
    }
  }

 private:
  bool isUnit(int r) const {
    const auto& p = g_.prods[r];
    return p.rhs.size() == 1 && (p.action == "NONE" || p.action == "COPY0");
  }
  int unitReduce(int st, int t) const {
    const unsigned a = t_.action[st][t];
    const unsigned step = a >> kPayloadBits;
    if (step != static_cast<unsigned>(Step::Pop) && step != static_cast<unsigned>(Step::Reduce))
      return -1;
    const int r = static_cast<int>(a & ((1u << kPayloadBits) - 1));
    return isUnit(r) ? r : -1;
  }
  // The class of a terminal's first character.
  std::string classOf(int t) const {
    auto it = kFirstChar.find(kTerminals[t]);
    return it == kFirstChar.end() ? kTerminals[t] : it->second;
  }
  bool lexesAlike(int a, int b, int t) const {
    const std::string cls = classOf(t);
    for (const auto& [two, first] : kFirstChar) {
      if (first != cls) continue;
      const int t2 = g_.index.at(two);
      if ((t_.action[a][t2] != 0) != (t_.action[b][t2] != 0)) return false;
    }
    return true;
  }
  // Where the chain from state s0 (entered from state from) ends on lookahead t.
  int chainEnd(int from, int s0, int t) const {
    int cur = s0;
    for (int r; (r = unitReduce(cur, t)) >= 0;) {
      const int next = t_.gotoTable[from][g_.prods[r].lhs - t_.nTerms];
      if (next < 0 || !lexesAlike(cur, next, t)) break;
      cur = next;
    }
    return cur;
  }

  // The two-character terminals and comment delimiters by their first character.
  const std::map<std::string, std::string> kFirstChar = {
      {"POW", "STAR"},   {"MULEQ", "STAR"},  {"BCCLOSE", "STAR"}, {"ADDEQ", "PLUS"},
      {"SUBEQ", "MINUS"}, {"DIVEQ", "SLASH"}, {"BCOPEN", "SLASH"}, {"LCOPEN", "SLASH"},
      {"LE", "LT"},      {"GE", "GT"},       {"EQEQ", "ASSIGN"},  {"NE", "BANG"},
      {"AND", "OTHER"},  {"OR", "OTHER"}};
  const Grammar& g_;
  Tables& t_;
};

void writeSymbols(FILE* out, const Grammar& g, const Tables& t) {
  std::fprintf(out, "// Generated by tools/lalrgen.cpp. Do not edit.\n#pragma once\n#include <cstdint>\n\n");
  std::fprintf(out, "namespace tavex::parser_tables {\n\n");
  std::fprintf(out, "enum Term : std::uint8_t {\n");
  for (int k = 0; k < t.nTerms; ++k) std::fprintf(out, "  T_%s = %d,\n", kTerminals[k].c_str(), k);
  std::fprintf(out, "};\nconstexpr int kNumTerms = %d;\nconstexpr int kFirstTwoChar = %d;\n", t.nTerms,
               kFirstTwoChar);
  std::fprintf(out, "constexpr int kNumStates = %d;\nconstexpr int kNumNonterms = %d;\n", t.nStates,
               t.nNonterms);
  std::fprintf(out, "constexpr int kNumRules = %zu;\n\n", g.prods.size());

  std::set<std::string> acts;
  for (const auto& p : g.prods) acts.insert(p.action);
  std::fprintf(out, "// The semantic action of a rule.\nenum Act : std::uint8_t {\n");
  for (const auto& a : acts) std::fprintf(out, "  A_%s,\n", a.c_str());
  std::fprintf(out, "};\n\n");
}

void writeRules(FILE* out, const Grammar& g, const Tables& t) {
  std::fprintf(out, "struct Rule { std::uint8_t lhs; std::uint8_t length; Act act; };\n");
  std::fprintf(out, "inline constexpr Rule kRules[kNumRules] = {\n");
  std::vector<std::string> ruleText;
  for (const auto& p : g.prods) {
    std::string text = g.names[p.lhs] + " ->";
    for (int s : p.rhs) text += " " + g.names[s];
    if (p.rhs.empty()) text += " (empty)";
    ruleText.push_back(text);
    std::fprintf(out, "  {%d, %zu, A_%s},  // %s\n", p.lhs - t.nTerms, p.rhs.size(),
                 p.action.c_str(), text.c_str());
  }
  std::fprintf(out, "};\n\n");
  std::fprintf(out, "// The grammar text of each rule, for traces.\n");
  std::fprintf(out, "inline constexpr const char* kRuleText[kNumRules] = {\n");
  for (const auto& text : ruleText) std::fprintf(out, "  \"%s\",\n", text.c_str());
  std::fprintf(out, "};\n\n");
  for (size_t r = 0; r < g.prods.size(); ++r)
    if (g.prods[r].action == "FRACN") std::fprintf(out, "constexpr int kFractionRule = %zu;\n\n", r);
}

void writeActions(FILE* out, const Tables& t) {
  std::fprintf(out, "%s", R"(// What the driver does with a lookahead in a state:
//   Error        no explicit action (a default reduction, or a syntax error)
//   Shift        push the token and go to the state in the payload
//   ShiftReduce  consume the token and reduce by the rule in the payload at once
//   Reduce       reduce by the rule in the payload, performing its action
//   Accept       the text is complete
//   Extend       the token extends the symbol on top of the stack in place
//                (rule "X -> X t": a name, an integer part, an exponent,
//                white space or a comment)
//   Start        the token starts a new symbol of one entry (rule "X -> t")
//   Pop          reduce by a rule whose value is one of its right-side values
//                (a unit rule, a token folding its white space, parentheses)
enum class Step : std::uint8_t { Error, Shift, ShiftReduce, Reduce, Accept, Extend, Start, Pop };

using Action = std::uint16_t;
constexpr int kPayloadBits = 13;
constexpr Step stepOf(Action a) { return static_cast<Step>(a >> kPayloadBits); }
// The target state of a Shift, the rule of every other step.
constexpr int payloadOf(Action a) { return a & ((1 << kPayloadBits) - 1); }
constexpr Action makeAction(Step step, int payload) {
  return static_cast<Action>(static_cast<int>(step) << kPayloadBits | payload);
}
// Whether a state accepts a terminal explicitly.
constexpr bool accepts(Action a) { return a != 0; }

)");
  std::fprintf(out, "inline constexpr Action kAction[kNumStates][kNumTerms] = {\n");
  for (int st = 0; st < t.nStates; ++st) {
    std::fprintf(out, "  {");
    for (int k = 0; k < t.nTerms; ++k) std::fprintf(out, "%u,", t.action[st][k]);
    std::fprintf(out, "},\n");
  }
  std::fprintf(out, "};\n\n");
  std::fprintf(out, "// Default reduction per state (rule number), -1 where the state has none.\n");
  std::fprintf(out, "inline constexpr std::int16_t kDefaultRule[kNumStates] = {");
  for (int st = 0; st < t.nStates; ++st) std::fprintf(out, "%d,", t.defaultRule[st]);
  std::fprintf(out, "};\n\n");
}

void writeGotos(FILE* out, const Tables& t) {
  std::fprintf(out, "%s", R"(// A goto: the state entered after reducing to a nonterminal, and the chain
// of action-free unit reductions that may follow it, tabulated by lookahead
// in kChain (which state the chain ends in).
using Goto = std::uint32_t;
constexpr int gotoState(Goto g) { return static_cast<int>(g & 0xFFFF); }
constexpr bool hasChain(Goto g) { return (g >> 16) != 0; }
constexpr int chainRow(Goto g) { return static_cast<int>(g >> 16) - 1; }

)");
  std::fprintf(out, "inline constexpr Goto kGoto[kNumStates][kNumNonterms] = {\n");
  for (int st = 0; st < t.nStates; ++st) {
    std::fprintf(out, "  {");
    for (int n = 0; n < t.nNonterms; ++n) {
      const int target = t.gotoTable[st][n];
      const unsigned packed =
          target < 0 ? 0xFFFFu
                     : (static_cast<unsigned>(target) | static_cast<unsigned>(t.chainOf[st][n] + 1) << 16);
      std::fprintf(out, "%u,", packed);
    }
    std::fprintf(out, "},\n");
  }
  std::fprintf(out, "};\n\n");
  std::fprintf(out, "constexpr int kNumChainRows = %zu;\n", t.chainRows.size());
  std::fprintf(out, "inline constexpr std::uint8_t kChain[kNumChainRows][kNumTerms] = {\n");
  for (const auto& row : t.chainRows) {
    std::fprintf(out, "  {");
    for (int k = 0; k < t.nTerms; ++k) std::fprintf(out, "%d,", row[k]);
    std::fprintf(out, "},\n");
  }
  std::fprintf(out, "};\n\n");
}

// For the "Missing %s" diagnosis: the one terminal a state accepts, if one.
void writeSoleTerminals(FILE* out, const Tables& t) {
  std::fprintf(out, "inline constexpr std::int8_t kSoleTerminal[kNumStates] = {");
  for (int st = 0; st < t.nStates; ++st) {
    int count = 0, sole = -1;
    for (int k = 0; k < t.nTerms; ++k)
      if (t.action[st][k]) { ++count; sole = k; }
    std::fprintf(out, "%d,", count == 1 ? sole : -1);
  }
  std::fprintf(out, "};\n\n}  // namespace tavex::parser_tables\n");
}

// The tables of the grammar; false (having said why) where they cannot be made.
bool buildTables(const Grammar& g, Tables& t) {
  Generator gen(g);
  gen.computeFirst();
  gen.buildLR0();
  gen.computeLookaheads();
  t.nStates = static_cast<int>(gen.kernels.size());
  t.nTerms = g.numTerms;
  t.nNonterms = static_cast<int>(g.names.size()) - t.nTerms;
  if (const int conflicts = ActionBuilder(g, gen, t).build()) {
    std::fprintf(stderr, "lalrgen: %d conflicts\n", conflicts);
    return false;
  }
  if (t.nStates >= (1 << kPayloadBits) || static_cast<int>(g.prods.size()) >= (1 << kPayloadBits)) {
    std::fprintf(stderr, "lalrgen: states or rules do not fit the action payload\n");
    return false;
  }
  ChainBuilder(g, t).build();
  std::fprintf(stderr, "lalrgen: %zu chain rows\n", t.chainRows.size());
  if (t.nStates > 65535 || t.chainRows.size() > 65534 || t.nStates > 255) {
    std::fprintf(stderr, "lalrgen: tables too large for the packed goto\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lalrgen OUTPUT_HEADER\n");
    return 2;
  }
  const Grammar g = buildGrammar();
  Tables t;
  if (!buildTables(g, t)) return 1;
  FILE* out = std::fopen(argv[1], "w");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  writeSymbols(out, g, t);
  writeRules(out, g, t);
  writeActions(out, t);
  writeGotos(out, t);
  writeSoleTerminals(out, t);
  std::fclose(out);
  std::fprintf(stderr, "lalrgen: %d states, %d terminals, %d nonterminals, %zu rules\n", t.nStates,
               t.nTerms, t.nNonterms, g.prods.size());
  return 0;
}
