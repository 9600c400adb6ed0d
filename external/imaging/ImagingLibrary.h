// The imaging library as a program sees it: LTFIL80N.dll (reading and writing picture files)
// and LTKRN80N.dll (the picture memory), whose entries are exported by ordinal only. A program
// finds them with GetProcAddress(module, MAKEINTRESOURCEA(ordinal)).
//
// Pictures are read into a bitmap record that holds the library's own copy of the pixels;
// release it with the kernel's free entry once done. Pixel rows are top-down, 24-bit BGR for
// colour pictures and 8-bit for gray ones, each row padded to a multiple of four bytes.
// A JPEG's EXIF orientation is left as stored: the picture comes as the camera wrote it.
#pragma once

#include <windows.h>

#include "ImagingRecords.h"

// Ordinals and their entries. Every entry returns 1 on success; anything else is failure.
constexpr WORD IMG_ORDINAL_FILE_INFO = 100;   // LTFIL80N
constexpr WORD IMG_ORDINAL_LOAD_FILE = 101;   // LTFIL80N
constexpr WORD IMG_ORDINAL_SAVE_FILE = 103;   // LTFIL80N
constexpr WORD IMG_ORDINAL_SET_OPTION = 135;  // LTFIL80N
constexpr WORD IMG_ORDINAL_FREE_BITMAP = 134; // LTKRN80N

// (path, info): reads what the file is without decoding its pixels.
typedef int(WINAPI* PFN_IMG_FILE_INFO)(const char* path, IMGFILEINFO* info);
// (path, bitmap, bitsPerPixel: 0 as stored, order: 1 BGR): decodes the whole picture.
typedef int(WINAPI* PFN_IMG_LOAD_FILE)(const char* path, IMGBITMAP* bitmap, int bitsPerPixel,
                                       int order);
// (path, bitmap, format: IMG_FORMAT_BMP, bitsPerPixel: 0 as held, quality: 0): writes a
// Windows bitmap file (bottom-up, 24-bit, or 8-bit with a gray colour table) that the
// system's LoadImage reads; an existing file at the path is replaced.
typedef int(WINAPI* PFN_IMG_SAVE_FILE)(const char* path, IMGBITMAP* bitmap, int format,
                                       int bitsPerPixel, int quality);
// (option, value, value): sets a decoder option for the loads that follow in this process.
typedef int(WINAPI* PFN_IMG_SET_OPTION)(int option, int value1, int value2);
// (bitmap): releases the picture memory of a loaded bitmap record; 1, or 0 for an empty one.
typedef int(WINAPI* PFN_IMG_FREE_BITMAP)(IMGBITMAP* bitmap);

// Diagnostic export of LTFIL80N.dll by name, outside the program's interface, for tests: how
// often the option entry was called in this process and with what, last.
//   int WINAPI ImgDiagnosticLastOption(int* option, int* value1, int* value2)
typedef int(WINAPI* PFN_IMG_DIAGNOSTIC_LAST_OPTION)(int* option, int* value1, int* value2);
