// The Kestrel camera driver as a program sees it: the two callbacks it calls during a
// download and the types of its exports, which a program resolves with GetProcAddress.
//
// The driver comes as one library (camlnk1.dll, exporting everything) or as an interface
// library (camlnk2.dll: the KCAMAPI_ exports except KCAMAPI_GetNumXGAImg) plus a bulk
// library (camldr2.dll: the BULK_ exports).
//
// Numbers, handles and status codes are 32-bit; the context pointer and the window and
// instance handles are pointer-sized, so that they survive a 64-bit build.
#pragma once

#include <windows.h>

#define KCAM_PATH_BYTES 260

// Kinds of files, as FileNameCallback receives them.
#define KCAM_KIND_VIDEO 1
#define KCAM_KIND_LQ 2
#define KCAM_KIND_HQ 3
#define KCAM_KIND_XGA 4
#define KCAM_KIND_BURST 5

// Before each file: writes the NUL-terminated path to create (at most KCAM_PATH_BYTES bytes,
// terminator included) and sets *abortFlag (0 go on, nonzero stop).
typedef void(WINAPI* KCAM_FILE_NAME_CALLBACK)(void* context, int kind, char* path, DWORD* abortFlag,
                                              DWORD reserved);
// Once after each file; status 0 means the file was written. Sets *abortFlag likewise.
typedef void(WINAPI* KCAM_FILE_DONE_CALLBACK)(void* context, DWORD status, DWORD reserved,
                                              DWORD* abortFlag);

// Bulk library: the sizes of the items in camera memory.
typedef DWORD(WINAPI* PFN_BULK_Init)(DWORD reserved);              // bulk handle, 0 = failure
typedef DWORD(WINAPI* PFN_BULK_Reset)(DWORD bulk);                 // result ignored
typedef DWORD(WINAPI* PFN_BULK_GetImgCount)(DWORD bulk);           // item count
typedef DWORD(WINAPI* PFN_BULK_GetNthSize)(DWORD bulk, DWORD index); // size in bytes

// Interface library: the camera itself. Status results are 0 on success.
typedef DWORD(WINAPI* PFN_KCAMAPI_Init)(KCAM_FILE_NAME_CALLBACK fileName,
                                        KCAM_FILE_DONE_CALLBACK fileDone, void* context,
                                        HINSTANCE instance, HWND window); // camera handle, 0 = failure
typedef DWORD(WINAPI* PFN_KCAMAPI_Download)(DWORD camera);
typedef DWORD(WINAPI* PFN_KCAMAPI_Reset)(DWORD camera);       // closes the handle
typedef DWORD(WINAPI* PFN_KCAMAPI_ClearCamera)(DWORD camera); // erases the camera memory
// KCAMAPI_GetNumLQImg, ..._GetNumHQImg, ..._GetNumXGAImg, ..._GetNumVdoClip, ..._GetNumBurst,
// ..._GetFreeMemory (percent): write *value and return a status.
typedef DWORD(WINAPI* PFN_KCAMAPI_GetValue)(DWORD camera, DWORD* value);
