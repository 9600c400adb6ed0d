// What the imaging library's entries return, and the limits they keep. The interface only
// knows 1 for success; the failures are told apart here for the library's own tests and for
// whoever finds out why a picture does not load. Not part of the program's view.
#pragma once

#include <cstddef>

namespace imaging {

constexpr int kOk = 1;
constexpr int kEmpty = 0;          // the free entry's answer for a record that holds no picture
constexpr int kBadArgument = -1;   // a null pointer, an unknown option, format, depth or order
constexpr int kCannotOpen = -2;    // the file is missing or cannot be read
constexpr int kUnknownFormat = -3; // neither JPEG nor Windows bitmap (an empty file included)
constexpr int kDamaged = -4;       // truncated or corrupt
constexpr int kUnsupported = -5;   // a sound file of a kind this library does not read
constexpr int kTooLarge = -6;      // the pixels would need more than kMaxPixelBytes
constexpr int kNoMemory = -7;
constexpr int kCannotWrite = -8;

// The most pixel memory one picture may take, and the most working memory the JPEG decoder
// may use for one: far above any camera's pictures, far below what would exhaust the process
// when a damaged or hostile header claims a giant picture.
constexpr size_t kMaxPixelBytes = size_t(1) << 30;

} // namespace imaging
