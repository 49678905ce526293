// SPDX-License-Identifier: GPL-3.0-or-later
// What Qt's print support sees of the CUPS server named by CUPS_SERVER, for
// tests/print/cups_smoke.sh:
//   cups_probe default     the default printer's name; exit 3 when there is none
//   cups_probe printers    one available printer name a line
//   cups_probe print NAME  one page with the text "Tavex sandbox NAME" to the default
//                          printer as a job titled NAME
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "default") == 0) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    const QString name = QPrinterInfo::defaultPrinterName();
    std::printf("%s\n", qPrintable(name));
    if (info.isNull() != name.isEmpty()) {
      std::fprintf(stderr, "defaultPrinter() and defaultPrinterName() disagree\n");
      return 1;
    }
    return info.isNull() ? 3 : 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "printers") == 0) {
    for (const QString& name : QPrinterInfo::availablePrinterNames())
      std::printf("%s\n", qPrintable(name));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "print") == 0) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
      std::fprintf(stderr, "no default printer\n");
      return 1;
    }
    QPrinter printer(info);
    printer.setDocName(QString::fromLocal8Bit(argv[2]));
    if (printer.outputFormat() != QPrinter::NativeFormat) {
      std::fprintf(stderr, "not printing through CUPS\n");
      return 1;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
      std::fprintf(stderr, "cannot start printing on %s\n", qPrintable(printer.printerName()));
      return 1;
    }
    QFont font = painter.font();
    font.setPointSize(24);
    painter.setFont(font);
    painter.drawText(QPointF(50, 200), QStringLiteral("Tavex sandbox ") + QString::fromLocal8Bit(argv[2]));
    if (!painter.end()) {
      std::fprintf(stderr, "printing failed\n");
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: cups_probe default | printers | print NAME\n");
  return 2;
}
