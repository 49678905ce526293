// Reading and writing lesson files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "session/lesson.h"

namespace tavex {

namespace {

// The whole file at path, up to one buffer beyond the most a lesson may be
// (the reader refuses a longer one); false with a message in error.
bool readWholeFile(const std::string& path, std::string& text, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = path + ": is a folder, not a lesson file";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  char buffer[8192];
  std::size_t n = 0;
  while (text.size() <= kMaxLessonBytes && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  const int readError = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (readError != 0) error = path + ": cannot read: " + std::strerror(readError);
  return readError == 0;
}

// Writes all of content to fd; false with errno set.
bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool writeFailed(const std::string& path, const std::string& reason, std::string& error) {
  error = "cannot write '" + path + "': " + reason;
  return false;
}

// A device or pipe (/dev/stdout, say), written directly; a pipe without a
// reader is an error, not a wait.
bool writeDirectly(const std::string& path, std::string_view content, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return writeFailed(path, std::strerror(errno), error);
  bool ok = ::fcntl(fd, F_SETFL, 0) == 0 && writeAll(fd, content);
  int writeError = errno;
  if (::close(fd) != 0 && ok) ok = false, writeError = errno;
  return ok || writeFailed(path, std::strerror(writeError), error);
}

// Replaces the file at path with content, or leaves it as it was: the content
// goes into a new file beside it, which is synced and renamed over it; a link
// is followed. The lessons' own stand-in for the program's one atomic writer,
// until that is here.
bool writeLessonFileAtomically(const std::string& path, std::string_view content,
                               std::string& error) {
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return writeDirectly(path, content, error);
  std::error_code ec;
  const std::string target = exists ? std::filesystem::canonical(path, ec).string() : path;
  if (ec) return writeFailed(path, ec.message(), error);
  // The permissions of the file replaced, or those of a new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~mask);
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return writeFailed(path, std::strerror(errno), error);
  bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
  int writeError = errno;
  if (::close(fd) != 0 && ok) ok = false, writeError = errno;
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = false, writeError = errno;
  if (ok) return true;
  ::unlink(temporary.c_str());
  return writeFailed(path, std::strerror(writeError), error);
}

}  // namespace

std::optional<Lesson> readLessonFile(const std::string& path, std::string& error) {
  std::string text;
  if (!readWholeFile(path, text, error)) return {};
  LessonError where;
  std::optional<Lesson> lesson = parseLesson(text, where);
  if (!lesson) error = lessonMessage(path, where);
  return lesson;
}

bool saveLessonFile(const std::string& path, const DataEntry* functionRecord,
                    const DataEntry* graphRecord, std::string& error) {
  std::string why;
  const std::optional<Lesson> lesson = lessonOfRecords(functionRecord, graphRecord, why);
  if (!lesson) {
    error = "cannot save '" + path + "' as a lesson: " + why;
    return false;
  }
  return writeLessonFileAtomically(path, lessonText(*lesson), error);
}

}  // namespace tavex
