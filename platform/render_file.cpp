#include "platform/render_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/graph_frame.h"
#include "platform/paint_device_window.h"
#include "plot/plot.h"

namespace tavex {

namespace {

std::string lowerSuffix(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

// Draws one screen pass, as a click into a plot window of that size does.
PassResult drawOn(const PlotContext& context, QPaintDevice* device, int width, int height) {
  PaintDeviceWindow window(device, width, height);
  GraphFrame frame(&window);
  PassResult pass = plot(context, frame, kDrawPass, kToWindow);
  finishOutput(frame);
  return pass;
}

// The file a path names once its symbolic links are followed, even when the
// last one dangles; empty when the links loop.
std::string followLinks(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size()) return path;
    std::string next(target.data(), static_cast<size_t>(n));
    if (!next.empty() && next.front() != '/') {
      const size_t slash = path.rfind('/');
      if (slash != std::string::npos) next = path.substr(0, slash + 1) + next;
    }
    path = next;
  }
  return {};
}

// Writes to a file descriptor, each block whole or with an error: a short
// write, which QFile passes on as a success, counts as the error that
// stopped it.
class DescriptorDevice : public QIODevice {
 public:
  void attach(int fd) {
    fd_ = fd;
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  // Closes the device and hands its descriptor over to the caller.
  int detach() {
    close();
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  int error() const { return error_; }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (error_ != 0) return -1;
    qint64 done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(size - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        return -1;
      }
      done += n;
    }
    return done;
  }

 private:
  int fd_ = -1;
  int error_ = 0;
};

// Where the picture goes. A regular file (or none yet) is replaced whole: the
// picture is written to a new file beside it, synced, and renamed over it
// only when all of it was written, so that a failed or killed render leaves
// the old file as it was. Anything else (a device, a pipe) cannot be
// replaced and is written directly.
class Target {
 public:
  explicit Target(std::string path) : shown_(std::move(path)), final_(followLinks(shown_)) {}
  ~Target() {
    const int fd = device_.detach();
    if (fd >= 0) ::close(fd);
    if (!temporary_.empty()) unlink(temporary_.c_str());
  }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  // Opens the file to write to; false with a message in error.
  bool open(std::string& error);
  QIODevice& device() { return device_; }
  // A write error so far, as a message.
  bool failed(std::string& error) const;
  // Makes the picture written so far the target's content.
  bool commit(std::string& error);

 private:
  std::string message(int error) const {
    return "cannot write '" + shown_ + "': " + std::strerror(error);
  }

  const std::string shown_;  // as the user gave it, for messages
  const std::string final_;  // the file it names
  std::string temporary_;    // the new file beside it, until renamed
  DescriptorDevice device_;
};

bool Target::open(std::string& error) {
  if (final_.empty()) {
    error = message(ELOOP);
    return false;
  }
  struct stat st;
  const bool exists = stat(final_.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    const int fd = ::open(final_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
      error = message(errno);
      return false;
    }
    device_.attach(fd);
    return true;
  }
  // A file the user may not write is not replaced either.
  if (exists && access(final_.c_str(), W_OK) != 0) {
    error = message(errno);
    return false;
  }

  const size_t slash = final_.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : final_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? final_ : final_.substr(slash + 1);
  std::string pattern = directory + "." + name + ".XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = message(errno);
    return false;
  }
  temporary_ = pattern;
  device_.attach(fd);
  // The new file gets the old one's permissions, or those of a new file.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(fd, mode) != 0) {
    error = message(errno);
    return false;
  }
  return true;
}

bool Target::failed(std::string& error) const {
  if (device_.error() == 0) return false;
  error = message(device_.error());
  return true;
}

bool Target::commit(std::string& error) {
  if (failed(error)) return false;
  const int fd = device_.detach();
  const bool synced = temporary_.empty() || fsync(fd) == 0;
  const int syncError = errno;
  if (::close(fd) != 0 || !synced) {
    if (!synced) errno = syncError;
    error = message(errno);
    return false;
  }
  if (temporary_.empty()) return true;
  if (rename(temporary_.c_str(), final_.c_str()) != 0) {
    error = "cannot replace '" + shown_ + "': " + std::strerror(errno);
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace

bool renderableExtension(const std::string& path) {
  const std::string s = lowerSuffix(path);
  return s == "png" || s == "svg" || s == "pdf";
}

bool renderPlotToFile(const PlotContext& context, const std::string& path, int width, int height,
                      PassResult& pass, std::string& error) {
  const std::string suffix = lowerSuffix(path);
  if (!renderableExtension(path)) {
    error = "unknown file type '" + suffix + "' (use .png, .svg or .pdf)";
    return false;
  }
  // Find out first whether the file can be written at all.
  Target target(path);
  if (!target.open(error)) return false;
  QIODevice& file = target.device();

  if (suffix == "png") {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
      error = "no memory for an image of " + std::to_string(width) + "x" + std::to_string(height);
      return false;
    }
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780);  // 96 dots per inch, as the screen
    image.setDotsPerMeterY(3780);
    pass = drawOn(context, &image, width, height);
    // Encoded in memory first: Qt's PNG writer does not survive a failing
    // device well (libpng's error exit leaks its row buffer).
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image)) {
      error = "cannot encode the picture as PNG: " + writer.errorString().toStdString();
      return false;
    }
    if (file.write(png) != png.size()) {
      if (!target.failed(error)) error = "cannot write '" + path + "'";
      return false;
    }
  } else if (suffix == "svg") {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle("Tavex plot");
    pass = drawOn(context, &svg, width, height);
  } else {
    QPdfWriter pdf(&file);
    pdf.setResolution(96);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0), QPageSize::Point,
                              QString(), QPageSize::ExactMatch));
    pass = drawOn(context, &pdf, width, height);
  }
  return target.commit(error);
}

}  // namespace tavex
