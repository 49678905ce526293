// Checks a screenshot of the convergence window of the default data: the
// log-log plot on the right holds lines and marks in each rule's colour and
// the grey reference slopes, and the table on the left holds text. Places
// are given in percent of the window.
// usage: check_convergence_shot SHOT.png LEFT TOP WIDTH HEIGHT
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

struct Colour {
  int r, g, b;
  const char* what;
};

// Pixels of colour c within the percentages [x0, x1] across and [y0, y1] down.
int count(const QImage& shot, const QRect& window, double x0, double x1, double y0, double y1,
          bool (*match)(QRgb, const Colour&), const Colour& c) {
  int n = 0;
  for (int y = window.top() + static_cast<int>(window.height() * y0 / 100);
       y < window.top() + static_cast<int>(window.height() * y1 / 100); ++y)
    for (int x = window.left() + static_cast<int>(window.width() * x0 / 100);
         x < window.left() + static_cast<int>(window.width() * x1 / 100); ++x)
      n += match(shot.pixel(x, y), c);
  return n;
}

bool exactly(QRgb p, const Colour& c) { return qRed(p) == c.r && qGreen(p) == c.g && qBlue(p) == c.b; }
bool dark(QRgb p, const Colour&) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; }

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
  const QRect window(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                     std::atoi(argv[5]));
  if (window.width() <= 0 || window.height() <= 0 || !shot.rect().contains(window)) {
    std::fprintf(stderr, "the window is not on the screenshot\n");
    return 2;
  }
  int failures = 0;
  // The plot's data, below its legend: each rule's line, and the slopes.
  const Colour lines[] = {{0, 255, 255, "SumU (cyan)"},    {255, 0, 255, "SumL (magenta)"},
                          {0, 0, 255, "SumT (blue)"},      {255, 128, 0, "SumM (orange)"},
                          {0, 160, 0, "SumS (dark green)"}, {160, 0, 0, "Exact (dark red)"},
                          {160, 160, 160, "slopes (grey)"}};
  for (const Colour& c : lines) {
    const int n = count(shot, window, 68, 99, 25, 93, exactly, c);
    const bool ok = n >= 30;
    std::printf("%s %s: %d pixels in the plot\n", ok ? "ok  " : "FAIL", c.what, n);
    failures += !ok;
  }
  // The table's numbers.
  const int text = count(shot, window, 2, 60, 20, 90, dark, Colour{});
  const bool ok = text >= 2000;
  std::printf("%s table text: %d dark pixels\n", ok ? "ok  " : "FAIL", text);
  failures += !ok;
  return failures == 0 ? 0 : 1;
}
