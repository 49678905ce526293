// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the messages the page reads: JSON objects of numbers, texts and
// arrays. The program's texts are 8-bit Latin-1; each byte becomes the
// character of the same code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavex {

// text as a JSON string, quotes included.
std::string jsonText(std::string_view text);
// The same for a UTF-8 text (the convergence study's sentences); a byte that
// starts no valid sequence stands for the character of its code.
std::string jsonUtf8Text(std::string_view text);

// A JSON array of texts.
std::string jsonTexts(const std::vector<std::string>& texts);

// One object, written field by field.
class JsonObject {
 public:
  JsonObject& number(std::string_view name, double value);
  JsonObject& text(std::string_view name, std::string_view value);
  JsonObject& utf8Text(std::string_view name, std::string_view value);
  JsonObject& flag(std::string_view name, bool value);
  // value is JSON already (an array or object).
  JsonObject& raw(std::string_view name, std::string_view json);
  std::string str() const { return body_ + "}"; }

 private:
  void name(std::string_view n);
  std::string body_ = "{";
};

}  // namespace tavex
