// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/null_canvas.h"

namespace tavex {

Size NullCanvas::textExtent(std::string_view text) {
  return Size{widthPerChar * static_cast<int>(text.size()), lineHeight};
}

TextMetrics NullCanvas::textMetrics() {
  return TextMetrics{charWidth, lineHeight, ascent, lineHeight - ascent};
}

FontHandle NullCanvas::selectFont(FontHandle font) {
  const FontHandle previous = selectedFont_;
  selectedFont_ = font;
  return previous;
}

}  // namespace tavex
