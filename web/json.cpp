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
