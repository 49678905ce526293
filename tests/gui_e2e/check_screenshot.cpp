// SPDX-License-Identifier: GPL-3.0-or-later
// Checks a screenshot of a drawn plot window: the fills of the four panels
// and the red curve, at places given in percent of the window's client area.
// usage: check_screenshot SHOT.png LEFT TOP WIDTH HEIGHT
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

struct Colour {
  int r, g, b;
};

int failures = 0;

void expectAt(const QImage& shot, int left, int top, int width, int height, double pctX,
              double pctUp, Colour want, const char* what) {
  const int x = left + static_cast<int>(width * pctX / 100);
  const int y = top + static_cast<int>(height * (100 - pctUp) / 100);
  const QRgb p = shot.pixel(x, y);
  const bool ok = qRed(p) == want.r && qGreen(p) == want.g && qBlue(p) == want.b;
  std::printf("%s %s at (%d, %d): %d %d %d\n", ok ? "ok  " : "FAIL", what, x, y, qRed(p),
              qGreen(p), qBlue(p));
  if (!ok) ++failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s SHOT.png LEFT TOP WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  QImage shot(argv[1]);
  if (shot.isNull()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  shot = shot.convertToFormat(QImage::Format_RGB32);
  const int left = std::atoi(argv[2]), top = std::atoi(argv[3]);
  const int width = std::atoi(argv[4]), height = std::atoi(argv[5]);
  if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > shot.width() ||
      top + height > shot.height()) {
    std::fprintf(stderr, "window %dx%d+%d+%d is not on the %dx%d screenshot\n", width, height,
                 left, top, shot.width(), shot.height());
    return 2;
  }

  expectAt(shot, left, top, width, height, 13, 75, {255, 230, 255}, "graph panel");
  expectAt(shot, left, top, width, height, 96, 17, {230, 255, 255}, "data panel");
  expectAt(shot, left, top, width, height, 58, 85, {255, 230, 200}, "function panel");
  expectAt(shot, left, top, width, height, 96, 80, {230, 255, 255}, "probe panel");
  expectAt(shot, left, top, width, height, 5, 50, {255, 255, 255}, "white page");

  // The curve: red pixels inside the graph panel (10 % to 60 %, 20 % to 78 % up).
  int red = 0;
  for (int y = top + height * 22 / 100; y < top + height * 80 / 100; ++y)
    for (int x = left + width * 10 / 100; x < left + width * 60 / 100; ++x) {
      const QRgb p = shot.pixel(x, y);
      red += qRed(p) == 255 && qGreen(p) == 0 && qBlue(p) == 0;
    }
  const bool curve = red > width / 4;
  std::printf("%s curve: %d red pixels\n", curve ? "ok  " : "FAIL", red);
  if (!curve) ++failures;
  return failures == 0 ? 0 : 1;
}
