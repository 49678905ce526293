// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

namespace tavex {

namespace {

// Whether the folder of path is in /proc, whose links (/proc/self/fd/1, and
// /dev/stdout through it) name files another process has open.
bool inProc(const std::string& path) {
#if defined(__linux__)
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct statfs fs;
  return statfs(folder.c_str(), &fs) == 0 && fs.f_type == 0x9fa0;  // PROC_SUPER_MAGIC
#else
  (void)path;
  return false;
#endif
}

// The file a path names once its symbolic links are followed, even when the
// last one dangles; empty when the links loop. throughProc is set when one
// of the links is in /proc.
std::string followLinks(std::string path, bool& throughProc) {
  throughProc = false;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    throughProc = throughProc || inProc(path);
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

// Six letters or digits, different in every call.
std::string randomSuffix() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
  return suffix;
}

// Writes all of data to fd; 0 or the errno value of the failure. SIGPIPE
// is blocked in this thread meanwhile and one it raised is taken back, so
// that a pipe whose reader has gone gives EPIPE and the program goes on.
int writeAll(int fd, const char* data, size_t size, bool guardPipe) {
  sigset_t pipeSignal, before, pending;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  bool pendingBefore = false;  // one raised elsewhere stays
  if (guardPipe) {
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    pendingBefore = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE);
  }
  int error = 0;
  while (size > 0 && error == 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
    } else {
      data += n;
      size -= static_cast<size_t>(n);
    }
  }
  if (guardPipe) {
    const timespec now{};
    if (error == EPIPE && !pendingBefore) sigtimedwait(&pipeSignal, nullptr, &now);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
  }
  return error;
}

}  // namespace

AtomicFile::~AtomicFile() { abort(); }

std::string AtomicFile::message(int error) const { return message(std::strerror(error)); }

std::string AtomicFile::message(const char* reason) const {
  return "cannot write '" + shown_ + "': " + reason;
}

bool AtomicFile::open(const std::string& path, std::string& error) {
  abort();
  failure_.clear();
  shown_ = path;
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  bool throughProc = false;
  final_ = followLinks(path, throughProc);
  if (final_.empty()) {
    error = message(ELOOP);
    return false;
  }
  if (exists && (!S_ISREG(st.st_mode) || throughProc)) {
    final_ = path;  // opened by the name given: the kernel follows /proc's links
    return openDirect(error);
  }
  // A file the user may not write is not replaced either.
  if (exists && access(final_.c_str(), W_OK) != 0) {
    error = message(errno);
    return false;
  }
  if (!openTemporary(error)) return false;
  // The old file's owner (where this user may give it) and permissions.
  if (exists) {
    if (fchown(fd_, st.st_uid, st.st_gid) != 0) { /* stays this user's */ }
    if (fchmod(fd_, st.st_mode & 07777) != 0) {
      error = message(errno);
      abort();
      return false;
    }
  }
  return true;
}

// Opens a device or pipe as it is. Without O_NONBLOCK, opening a pipe that
// has no reader would wait for one; the descriptor blocks again for writing.
bool AtomicFile::openDirect(std::string& error) {
  struct stat st;
  const bool fifo = stat(final_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
  fd_ = ::open(final_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    error = fifo && errno == ENXIO ? message("no reader on the pipe") : message(errno);
    return false;
  }
  const int flags = fcntl(fd_, F_GETFL);
  if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    error = message(errno);
    abort();
    return false;
  }
  return true;
}

// Makes the new file beside the target, with the mode any new file gets
// (the kernel applies the umask and the folder's default ACL).
bool AtomicFile::openTemporary(std::string& error) {
  const size_t slash = final_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : final_.substr(0, slash + 1);
  // Short enough for the longest name the folder takes with the suffix.
  const std::string name = final_.substr(folder.size(), 200);
  if (name.empty() || name == "." || name == "..") {
    error = message(EISDIR);
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = folder + "." + name + "." + randomSuffix();
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temporary_ = candidate;
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = message(errno);
  return false;
}

bool AtomicFile::write(const void* data, size_t size, std::string& error) {
  if (failure_.empty() && fd_ < 0) failure_ = message(EBADF);
  if (failure_.empty()) {
    const int e = writeAll(fd_, static_cast<const char*>(data), size, !replacing());
    if (e != 0) failure_ = message(e);
  }
  if (failure_.empty()) return true;
  error = failure_;
  return false;
}

bool AtomicFile::commit(std::string& error) {
  if (failure_.empty() && fd_ < 0) failure_ = message(EBADF);
  // Errors a file system reports late (a full disk, a lost server) come
  // from fsync or close.
  if (failure_.empty() && replacing() && fsync(fd_) != 0) failure_ = message(errno);
  if (failure_.empty()) {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) failure_ = message(errno);
  }
  if (failure_.empty() && replacing() && rename(temporary_.c_str(), final_.c_str()) != 0)
    failure_ = "cannot replace '" + shown_ + "': " + std::strerror(errno);
  if (!failure_.empty()) {
    error = failure_;
    abort();
    return false;
  }
  if (replacing()) {
    temporary_.clear();
    // The rename itself on disk; a folder that cannot be synced is no error.
    const size_t slash = final_.rfind('/');
    const int folder = ::open(slash == std::string::npos ? "." : final_.substr(0, slash + 1).c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      fsync(folder);
      ::close(folder);
    }
  }
  return true;
}

void AtomicFile::abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error) {
  AtomicFile file;
  return file.open(path, error) && file.write(content, error) && file.commit(error);
}

void ignoreBrokenPipes() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace tavex
