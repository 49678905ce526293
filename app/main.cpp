// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli.h"
#ifdef TAVEX_HAVE_RENDER
#include "app/file_renderer.h"
#endif
#ifdef TAVEX_DESKTOP
#include "app/desktop.h"
#endif

int main(int argc, char** argv) {
  // Command-line options first: they need no display.
  bool handled = false;
#ifdef TAVEX_HAVE_RENDER
  tavex::QtPictureRenderer renderer;
  tavex::PictureRenderer* pictures = &renderer;
#else
  tavex::PictureRenderer* pictures = nullptr;
#endif
  int status = tavex::runCommandLine(argc, argv, handled, stdout, stderr, pictures);
  if (handled) return tavex::outputStatus(status, stdout, stderr);
#ifdef TAVEX_DESKTOP
  return tavex::runDesktop(argc, argv);
#else
  tavex::printUsage(stderr);
  return 2;
#endif
}
