// Binding to the camera driver library, loaded on first use in either packaging: one library
// (camlnk1.dll) or an interface library (camlnk2.dll) plus a bulk library (camldr2.dll).
//
// Each export has a guarded function of the same name: it binds the driver first and returns
// the export's fallback, without calling, when the driver or the entry is missing. Callers are
// the UI thread and the download worker, never both at once.
#pragma once

#include "external/kestrel/KestrelCamera.h"

// The status of a guarded call that could not reach the driver (E_FAIL as a 32-bit value).
constexpr DWORD kCameraDriverFailure = 0x80004005;

// 0 once the driver is bound; kCameraDriverFailure when it could not be, leaving it unbound so
// that the next call tries again.
DWORD LoadCameraDriver();

DWORD BULK_Init(DWORD reserved);
void BULK_Reset(DWORD bulk);
DWORD BULK_GetImgCount(DWORD bulk);
DWORD BULK_GetNthSize(DWORD bulk, DWORD index);

DWORD KCAMAPI_Init(KCAM_FILE_NAME_CALLBACK fileName, KCAM_FILE_DONE_CALLBACK fileDone,
                   void* context, HINSTANCE instance, HWND window);
DWORD KCAMAPI_Download(DWORD camera);
DWORD KCAMAPI_Reset(DWORD camera);
DWORD KCAMAPI_ClearCamera(DWORD camera);
DWORD KCAMAPI_GetNumLQImg(DWORD camera, DWORD* value);
DWORD KCAMAPI_GetNumHQImg(DWORD camera, DWORD* value);
// Unresolved in the two-library packaging, so it answers with the fallback there.
DWORD KCAMAPI_GetNumXGAImg(DWORD camera, DWORD* value);
DWORD KCAMAPI_GetNumVdoClip(DWORD camera, DWORD* value);
DWORD KCAMAPI_GetNumBurst(DWORD camera, DWORD* value);
DWORD KCAMAPI_GetFreeMemory(DWORD camera, DWORD* value);
