// SPDX-License-Identifier: GPL-3.0-or-later
// --render in the desktop build: pictures written through Qt's painters.
#pragma once

#include "session/cli.h"

namespace tavex {

class QtPictureRenderer : public PictureRenderer {
 public:
  bool knowsFileType(const std::string& path) override;
  // Starts a Qt GUI application for fonts and paint devices when none runs
  // (the offscreen platform when there is no display).
  bool render(const PlotContext& context, const std::string& path, int width, int height,
              PassResult& pass, std::string& error) override;
};

}  // namespace tavex
