// SPDX-License-Identifier: GPL-3.0-or-later
// One screen draw pass onto a white surface of a given size, written to an
// image file (PNG), an SVG drawing or a one-page PDF.
#pragma once

#include <string>

#include "plot/plot.h"

namespace tavex {

// Draws one screen pass in context into the file at path and sets pass to
// what it produced. Returns false with a message in error when the extension
// is unknown or the file cannot be written. The file is written through
// AtomicFile: a regular file is replaced only when the whole picture was
// written, and a device or pipe is written directly. A cancelled pass
// (pass.cancelled) leaves a regular file as it was and gives false with an
// empty error. Needs a Qt GUI application (offscreen is enough).
bool renderPlotToFile(const PlotContext& context, const std::string& path, int width, int height,
                      PassResult& pass, std::string& error);

// Whether a path ends in an extension renderPlotToFile knows.
bool renderableExtension(const std::string& path);

}  // namespace tavex
