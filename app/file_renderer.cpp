// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_renderer.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdlib>
#include <memory>

#include "platform/render_file.h"

namespace tavex {

namespace {

// Fonts and paint devices need a GUI application; without a display the
// offscreen platform serves.
std::unique_ptr<QGuiApplication> ensureGuiApplication() {
  if (QGuiApplication::instance()) return nullptr;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "tavex";
  static char* argv[] = {name, nullptr};
  auto app = std::make_unique<QGuiApplication>(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // readouts and labels always use a decimal point
  return app;
}

}  // namespace

bool QtPictureRenderer::knowsFileType(const std::string& path) {
  return renderableExtension(path);
}

bool QtPictureRenderer::render(const PlotContext& context, const std::string& path, int width,
                               int height, PassResult& pass, std::string& error) {
  const auto app = ensureGuiApplication();
  return renderPlotToFile(context, path, width, height, pass, error);
}

}  // namespace tavex
