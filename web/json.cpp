// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/json.h"

#include <cmath>
#include <cstdio>

namespace tavex {

std::string jsonText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (code < 0x20 || code >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

namespace {

// The code point of the UTF-8 sequence at text[i], and its length; 0 for a
// byte that starts no valid sequence.
char32_t utf8At(std::string_view text, size_t i, int& length) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || i + static_cast<size_t>(length) > text.size()) return length = 0;
  char32_t code = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return length = 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return length = 0;
  return code;
}

void escape(std::string& out, char32_t code) {
  char escaped[16];
  if (code >= 0x10000) {
    code -= 0x10000;
    const unsigned high = 0xD800 + (code >> 10), low = 0xDC00 + (code & 0x3FF);
    std::snprintf(escaped, sizeof escaped, "\\u%04x\\u%04x", high, low);
  } else {
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
  }
  out += escaped;
}

}  // namespace

std::string jsonUtf8Text(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const auto code = static_cast<unsigned char>(text[i]);
    int length = 0;
    if (code >= 0x80 && utf8At(text, i, length) != 0) {
      escape(out, utf8At(text, i, length));
      i += static_cast<size_t>(length) - 1;
    } else {
      out += jsonText(text.substr(i, 1)).substr(1, std::string::npos);
      out.pop_back();
    }
  }
  return out + "\"";
}

std::string jsonTexts(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) out += ',';
    out += jsonText(texts[i]);
  }
  return out + "]";
}

void JsonObject::name(std::string_view n) {
  if (body_.size() > 1) body_ += ',';
  body_ += jsonText(n);
  body_ += ':';
}

JsonObject& JsonObject::number(std::string_view n, double value) {
  name(n);
  if (!std::isfinite(value)) {
    body_ += "null";
    return *this;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  body_ += text;
  return *this;
}

JsonObject& JsonObject::text(std::string_view n, std::string_view value) {
  name(n);
  body_ += jsonText(value);
  return *this;
}

JsonObject& JsonObject::utf8Text(std::string_view n, std::string_view value) {
  name(n);
  body_ += jsonUtf8Text(value);
  return *this;
}

JsonObject& JsonObject::flag(std::string_view n, bool value) {
  name(n);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::raw(std::string_view n, std::string_view json) {
  name(n);
  body_ += json;
  return *this;
}

}  // namespace tavex
