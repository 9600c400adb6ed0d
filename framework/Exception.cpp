#include "framework/Exception.h"

#include <cstring>
#include <new>

#include "framework/MessageBox.h"

void CException::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

BOOL CException::CopyMessage(const char* text, char* buffer, UINT maxChars, UINT* helpContext) {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (buffer == nullptr || maxChars == 0) {
        return FALSE;
    }
    size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > maxChars - 1) {
        length = maxChars - 1;
    }
    if (length > 0) {
        std::memcpy(buffer, text, length);
    }
    buffer[length] = '\0';
    return (text != nullptr && *text != '\0') ? TRUE : FALSE;
}

BOOL CException::GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext) const {
    return CopyMessage(nullptr, buffer, maxChars, helpContext);
}

int CException::ReportError(UINT type, UINT messageId) {
    char message[512];
    if (GetErrorMessage(message, sizeof(message)) && message[0] != '\0') {
        return AfxMessageBox(message, type);
    }
    if (messageId != 0) {
        return AfxMessageBox(messageId, type);
    }
    return AfxMessageBox("No error message is available.", type);
}

BOOL CMemoryException::GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext) const {
    return CopyMessage("Out of memory.", buffer, maxChars, helpContext);
}

void AfxThrowMemoryException() {
    // When not even the exception object fits on the heap, this one (never deleted) is thrown.
    static CMemoryException s_noHeapLeft(FALSE);
    CMemoryException* error = new (std::nothrow) CMemoryException;
    if (error == nullptr) {
        throw &s_noHeapLeft;
    }
    throw error;
}

void AfxThrowUserException() {
    throw new CUserException;
}
