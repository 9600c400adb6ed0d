// COleException and COleDispatchException: failures of COM calls made through the framework.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/Exception.h"
#include "framework/String.h"

// A COM call failed with a status code.
class COleException : public CException {
public:
    explicit COleException(SCODE sc = E_FAIL, BOOL autoDelete = TRUE)
        : CException(autoDelete), m_sc(sc) {}

    // The system's text for the status code, or the code in hex when the system has none.
    BOOL GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext = nullptr) const override;

    SCODE m_sc;
};

// An automation server answered DISP_E_EXCEPTION: its own error, described by itself.
class COleDispatchException : public CException {
public:
    COleDispatchException(const char* description, WORD code, BOOL autoDelete = TRUE)
        : CException(autoDelete), m_wCode(code), m_strDescription(description) {}

    // The server's description; without one, the system's text for m_scError.
    BOOL GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext = nullptr) const override;

    WORD m_wCode;              // the server's own error number, 0 when it gave a status instead
    CString m_strDescription;  // what the server says went wrong
    CString m_strSource;       // who says so (the server's name)
    SCODE m_scError = 0;       // the server's status code when it gave one
};

[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowOleDispatchException(WORD code, const char* description,
                                               const char* source = nullptr, SCODE scError = 0);
