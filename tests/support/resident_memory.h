// SPDX-License-Identifier: GPL-3.0-or-later
// The process's resident memory, for soak tests, and whether a sanitizer
// (whose quarantine holds freed memory) makes it meaningless.
#pragma once

#include <unistd.h>

#include <fstream>

namespace tavex::testing {

inline long long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderSanitizer = true;
#else
inline constexpr bool kUnderSanitizer = false;
#endif
#else
inline constexpr bool kUnderSanitizer = false;
#endif

}  // namespace tavex::testing
