// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a file so that it is either replaced whole or left as it was.
//
// A regular file (or none yet) gets its new content in a temporary file
// beside it (same folder, unique name, made with O_EXCL), which is written,
// synced and closed, every step checked, and only then renamed over it. Any
// failure removes the temporary file and leaves the old file untouched.
// Symbolic links are followed: the file a link names is replaced and the
// link stays a link; a dangling link gets its file. The new file has the
// permission bits of the file it replaces, or those of any new file (0666
// less the umask, and the folder's default ACL) when there was none.
//
// Anything that is not a regular file cannot be replaced and is written
// directly: character devices (/dev/null, /dev/full), pipes, and the files
// named through /dev/stdout or /proc/self/fd/N. A pipe without a reader is
// an error at once, not a wait; a reader that goes away early gives the
// error "Broken pipe", not the signal SIGPIPE (blocked in the writing thread
// while it writes).
//
// Errors are messages naming the path as given, such as
// "cannot write 'out.png': No space left on device". Plain C++ and POSIX.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavex {

class AtomicFile {
 public:
  AtomicFile() = default;
  // Abandons what was written unless it was committed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Opens the file that takes the new content of path: a temporary file
  // beside it, or the device or pipe itself. False with a message in error
  // when path cannot be written (a folder, a missing or unwritable folder, a
  // file the user may not write, a pipe without a reader, a loop of links).
  bool open(const std::string& path, std::string& error);

  // Writes all of data; false with a message in error. After a failure
  // every further write and the commit fail with the same message.
  bool write(const void* data, size_t size, std::string& error);
  bool write(std::string_view data, std::string& error) { return write(data.data(), data.size(), error); }

  // The descriptor being written, for writers of their own; they must check
  // their writes and abort() when one fails. -1 when not open.
  int descriptor() const { return fd_; }
  // The name of the file being written: the temporary file while a regular
  // file is replaced, otherwise the device or pipe. Writing through
  // descriptor() is better: a pipe opened again by name may wait for a reader.
  const std::string& writtenPath() const { return temporary_.empty() ? final_ : temporary_; }
  // Whether commit() renames a temporary file over the target.
  bool replacing() const { return !temporary_.empty(); }

  // Makes what was written the content of the path: syncs, closes and
  // renames the temporary file over the target, or closes the device.
  // False with a message in error, the old file then as it was.
  bool commit(std::string& error);
  // Closes without changing the target and removes the temporary file.
  void abort();

 private:
  bool openDirect(std::string& error);
  bool openTemporary(std::string& error);
  std::string message(int error) const;
  std::string message(const char* reason) const;

  std::string shown_;      // the path as given, for messages
  std::string final_;      // the file it names, links followed
  std::string temporary_;  // the new file beside it, until renamed
  int fd_ = -1;
  std::string failure_;  // the first write error
};

// Replaces the file at path with content as AtomicFile does; false with a
// message in error.
bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error);

// Sets SIGPIPE to be ignored for the whole process, so that every write to a
// pipe whose reader has gone (standard output too) fails with EPIPE instead
// of ending the program. AtomicFile does not need it.
void ignoreBrokenPipes();

}  // namespace tavex
