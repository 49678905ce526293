// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the engine's arithmetic at full speed after toolkit code.
//
// Qt's painting runs 256-bit vector instructions and may return with the
// upper halves of the vector registers still in use. On many x86 processors
// the scalar SSE arithmetic of the engine then runs several times slower
// (each instruction waits on those halves) until something clears them: a
// draw pass after the first one evaluated f four to six times more slowly.
// Clearing them is one cheap instruction and changes no value.
#pragma once

namespace tavex {

inline void clearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) __asm__ volatile("vzeroupper");
#endif
}

}  // namespace tavex
