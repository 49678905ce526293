// SPDX-License-Identifier: GPL-3.0-or-later
// Lessons in links: a page address whose fragment is "#lesson=" and the
// lesson file's text, percent-encoded (as the page's encodeURIComponent
// writes it). Plain C++.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavex {

// What a link's lesson is called in messages ("link:3:1: ...").
inline constexpr char kLessonLinkName[] = "link";

// The most characters of a fragment worth handing in: one byte beyond the
// most a lesson may be, each byte written "%XX".
std::size_t maxLessonLinkChars();

// The bytes of a percent-encoded text: "%XX" stands for the byte of hex XX,
// every other character for itself. Decoding stops once the text is longer
// than a lesson may be (the reader then refuses it). Empty, with a message
// naming the link and the character, for a "%" without two hex digits.
std::optional<std::string> percentDecoded(std::string_view text, std::string& error);

}  // namespace tavex
