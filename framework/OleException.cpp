#include "framework/OleException.h"

#include <cstdio>
#include <new>

namespace {

// The system's message for a status code without its line break; empty when it has none.
CString SystemMessage(SCODE sc) {
    char* text = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(sc), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return CString();
    }
    CString message(text, static_cast<int>(length));
    ::LocalFree(text);
    message.TrimRight();
    return message;
}

// Shown when the system has no text for a code, so that the code itself reaches the user.
CString CodeMessage(SCODE sc) {
    CString message;
    message.Format("An OLE call failed with the status 0x%08lX.",
                   static_cast<unsigned long>(static_cast<DWORD>(sc)));
    return message;
}

} // namespace

BOOL COleException::GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext) const {
    CString message = SystemMessage(m_sc);
    if (message.IsEmpty()) {
        message = CodeMessage(m_sc);
    }
    return CopyMessage(message, buffer, maxChars, helpContext);
}

BOOL COleDispatchException::GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext) const {
    if (!m_strDescription.IsEmpty()) {
        return CopyMessage(m_strDescription, buffer, maxChars, helpContext);
    }
    if (m_scError == 0) {
        return CopyMessage(nullptr, buffer, maxChars, helpContext);
    }
    CString message = SystemMessage(m_scError);
    if (message.IsEmpty()) {
        message = CodeMessage(m_scError);
    }
    return CopyMessage(message, buffer, maxChars, helpContext);
}

void AfxThrowOleException(SCODE sc) {
    COleException* error = new (std::nothrow) COleException(sc);
    if (error == nullptr) {
        AfxThrowMemoryException();
    }
    throw error;
}

void AfxThrowOleDispatchException(WORD code, const char* description, const char* source,
                                  SCODE scError) {
    COleDispatchException* error =
        new (std::nothrow) COleDispatchException(description != nullptr ? description : "", code);
    if (error == nullptr) {
        AfxThrowMemoryException();
    }
    error->m_strSource = source != nullptr ? source : "";
    error->m_scError = scError;
    throw error;
}
