// The byte-level readers under fuzzing: one entry per target, the same code for libFuzzer on
// the build machine (libfuzzer/Entry.cpp) and for the replay of saved inputs under Wine
// (ReplayTest.cpp). Each feeds one input to a reader and checks what the reader answered
// against the input; it returns what was wrong, or nullptr. A crash or a read outside the
// input is the sanitizers' (or the replay's) to see.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz_target {

// The tray's EXIF reader: orientation and preview location of a JPEG's first bytes.
const char* ExifReader(const uint8_t* data, size_t size);
// The tray's check of a clip's RIFF structure before AVIFile opens it.
const char* AviStructure(const uint8_t* data, size_t size);
// The camera driver's reading of a still's picture size.
const char* JpegSize(const uint8_t* data, size_t size);
// The imaging library's EXIF orientation of an APP1 payload.
const char* ExifOrientation(const uint8_t* data, size_t size);
// The imaging library's JPEG file information, and the decode of a small picture.
const char* JpegReader(const uint8_t* data, size_t size);
// The imaging library's bitmap file information and load.
const char* BmpReader(const uint8_t* data, size_t size);
// The imaging library's bitmap writing: a record made from the input, encoded, read back.
const char* BmpWriter(const uint8_t* data, size_t size);

struct Target {
    const char* name; // also the folder of its saved inputs under tests/data/fuzz
    const char* (*run)(const uint8_t* data, size_t size);
};
extern const Target kTargets[];
extern const size_t kTargetCount;

} // namespace fuzz_target
