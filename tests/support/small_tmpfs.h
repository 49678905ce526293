// A full disk for tests: a tmpfs of a few pages mounted in a mount namespace
// of the calling thread's own, so that nobody else sees it and it goes when
// the test process ends. Needs the superuser and namespaces; tests skip when
// it cannot be had.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace tavex_test {

// Mounts a tmpfs of size (as mount's "size=16k") on the existing folder.
inline bool mountSmallTmpfs(const std::string& folder, const std::string& size) {
  if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0) return false;
  // Mounts made from here on stay in this namespace.
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  return mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

}  // namespace tavex_test
