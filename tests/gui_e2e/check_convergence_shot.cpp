// SPDX-License-Identifier: GPL-3.0-or-later
// Checks a screenshot of the convergence window of the default data: below
// its legend, the plot on the right has lines in each rule's colour and the
// grey slopes; the table on the left has numbers.
// usage: check_convergence_shot SHOT.png LEFT TOP WIDTH HEIGHT
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QImage shot(argc == 6 ? argv[1] : "");
  if (shot.isNull()) {
    std::fprintf(stderr, "usage: %s SHOT.png LEFT TOP WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  shot = shot.convertToFormat(QImage::Format_RGB32);
  const QRect window(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (!shot.rect().contains(window)) return 2;
  // Pixels within [x0, x1] % across and [y0, y1] % down the window that pass.
  auto count = [&](int x0, int x1, int y0, int y1, auto passes) {
    int n = 0;
    for (int y = window.top() + window.height() * y0 / 100; y < window.top() + window.height() * y1 / 100; ++y)
      for (int x = window.left() + window.width() * x0 / 100; x < window.left() + window.width() * x1 / 100; ++x)
        n += passes(shot.pixel(x, y));
    return n;
  };
  struct Colour {
    int r, g, b;
    const char* what;
  };
  const Colour lines[] = {{0, 255, 255, "SumU"}, {255, 0, 255, "SumL"}, {0, 0, 255, "SumT"},
                          {255, 128, 0, "SumM"}, {0, 160, 0, "SumS"},   {160, 0, 0, "Exact"},
                          {160, 160, 160, "slopes"}};
  int failures = 0;
  for (const Colour& c : lines) {
    const int n = count(68, 99, 25, 93, [&c](QRgb p) {
      return qRed(p) == c.r && qGreen(p) == c.g && qBlue(p) == c.b;
    });
    std::printf("%s %s: %d pixels in the plot\n", n >= 30 ? "ok  " : "FAIL", c.what, n);
    failures += n < 30;
  }
  const int text = count(2, 60, 20, 90, [](QRgb p) { return qGray(p) < 90; });
  std::printf("%s table: %d dark pixels\n", text >= 2000 ? "ok  " : "FAIL", text);
  return failures == 0 && text >= 2000 ? 0 : 1;
}
