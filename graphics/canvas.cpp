// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/canvas.h"

#include <utility>

namespace tavex {

Rect Rect::normalised() const {
  Rect r = *this;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

}  // namespace tavex
