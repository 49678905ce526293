// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts a canvas has made, by handle, with the one selected: the handle
// bookkeeping every canvas shares, whatever it keeps as a font.
#pragma once

#include <map>
#include <utility>

#include "graphics/canvas.h"

namespace tavex {

template <class Font>
class FontTable {
 public:
  FontHandle add(Font font) {
    const FontHandle handle{nextId_++};
    fonts_.emplace(handle.id, std::move(font));
    return handle;
  }
  // Selects font (no font when it is not one of the table's); returns the
  // one selected before.
  FontHandle select(FontHandle font) {
    const FontHandle previous = selected_;
    selected_ = fonts_.count(font.id) != 0 ? font : FontHandle{};
    return previous;
  }
  // Deleting the selected font is ignored: it stays in use until another is
  // selected.
  void remove(FontHandle font) {
    if (font == selected_) return;
    fonts_.erase(font.id);
  }
  // The font of handle, or fallback when the table has none by that handle.
  const Font& find(FontHandle font, const Font& fallback) const {
    const auto it = fonts_.find(font.id);
    return it != fonts_.end() ? it->second : fallback;
  }
  const Font& selected(const Font& fallback) const { return find(selected_, fallback); }

 private:
  std::map<int, Font> fonts_;
  int nextId_ = 1;
  FontHandle selected_;
};

}  // namespace tavex
