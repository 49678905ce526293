// SPDX-License-Identifier: GPL-3.0-or-later
// A new window's backing image has its client area's size, whatever the
// window's memory held before: nothing the image is made from is read before
// it has its value.
#include <algorithm>
#include <cstddef>
#include <new>

#include "gui_support.h"
#include "platform/image_window.h"

namespace tavex::testing {
namespace {

TEST(BackingImageStart, TheFirstImageHasTheClientSizeWhateverTheMemoryHeld) {
  alignas(ImageWindow) unsigned char storage[sizeof(ImageWindow)];
  volatile unsigned char* bytes = storage;  // kept: the window is made over them
  for (std::size_t i = 0; i < sizeof storage; ++i) bytes[i] = 0xbe;
  auto* window = new (storage) ImageWindow;
  EXPECT_EQ(window->clientSize(), window->size());
  EXPECT_EQ(window->image().size(),
            QSize(std::max(1, window->width()), std::max(1, window->height())));
  window->~ImageWindow();
}

}  // namespace
}  // namespace tavex::testing
