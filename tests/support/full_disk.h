// SPDX-License-Identifier: GPL-3.0-or-later
// Full disks for tests. Writers that fail there must leave no trace.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>

namespace tavex_test {

// A device that is always full, as /dev/full. The superuser gets a node of
// its own in folder, so that a writer that wrongly replaced the device would
// not replace the system's; anyone else gets /dev/full, which they cannot
// replace. Empty when neither can be had.
inline std::string fullDevice(const std::string& folder) {
  if (geteuid() != 0) return "/dev/full";
  const std::string node = folder + "/full";
  return mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? node : "";
}

// Mounts a tmpfs of size (as mount's "size=16k") on the existing folder, in
// a mount namespace of the calling thread's own, so that nobody else sees it
// and it goes when the test process ends. Needs the superuser and
// namespaces; false when it cannot be had.
inline bool mountSmallTmpfs(const std::string& folder, const std::string& size) {
  if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0) return false;
  // Mounts made from here on stay in this namespace.
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  return mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

}  // namespace tavex_test
