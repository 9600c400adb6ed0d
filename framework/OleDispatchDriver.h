// COleDispatchDriver: calls the members of an automation object through its IDispatch.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdarg>

// Argument lists of InvokeHelper: one byte per argument, its VARTYPE, written by concatenating
// the strings below (`static const BYTE params[] = VTS_BSTR VTS_I4;`). A by-reference argument has
// kVtsByRef added to its VARTYPE, since VT_BYREF itself does not fit a byte; types from VT_FILETIME
// (0x40) up can therefore not be passed. What the caller passes for each:
//   VTS_I2, VTS_BOOL  an int (varargs promote short and BOOL to int)
//   VTS_I4            a long
//   VTS_BSTR          a const char* (null for ""), converted to a BSTR for the call and freed
//   VTS_PI4           a long*, which the server may write
//   VTS_PBSTR         a BSTR* holding the caller's BSTR (or null), which the server may replace;
//                     the caller frees what it holds afterwards
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_BSTR "\x08"
#define VTS_BOOL "\x0B"
#define VTS_PI4 "\x43"
#define VTS_PBSTR "\x48"

constexpr BYTE kVtsByRef = 0x40;

// Results (vtRet and pvRet): VT_EMPTY (pvRet ignored), VT_I2 into a short*, VT_I4 into a long*,
// VT_I8 into a LONGLONG* (a pointer-sized handle of a 64-bit server), VT_BOOL into a BOOL*, VT_BSTR into a CString* (converted to ANSI; the BSTR is freed). A
// result of another type is converted first. A failing call throws COleDispatchException
// when the server reports an error of its own (DISP_E_EXCEPTION), COleException otherwise,
// and COleException(E_NOINTERFACE) when there is no object to call.
class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    // Drives an object the caller already has; autoRelease FALSE borrows it.
    explicit COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    ~COleDispatchDriver();
    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;

    // Creates the object (in process or as a local server); FALSE when it cannot be had.
    BOOL CreateDispatch(REFCLSID clsid);
    BOOL CreateDispatch(LPCSTR progId);
    void AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    // Gives up the object without releasing it; the caller owns the reference.
    LPDISPATCH DetachDispatch();
    // Lets go of the object, releasing it when it was attached with autoRelease.
    void ReleaseDispatch();

    // pbParamInfo null (or an empty list) for a call without arguments.
    void InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                      const BYTE* pbParamInfo, ...);
    // The value follows vtProp, passed as an argument of that VTS_ type would be.
    void SetProperty(DISPID dwDispID, VARTYPE vtProp, ...);
    void GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const;

    // The work of the calls above, on an argument list the caller has started.
    void InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                       const BYTE* pbParamInfo, va_list argList) const;

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
