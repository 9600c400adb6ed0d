// CException and its kinds: errors thrown as pointers and deleted by whoever catches them.
#pragma once

#include <windows.h>

// Thrown as `throw new CMemoryException;` and caught as
// `catch (CException* e) { ...; e->Delete(); }`; tell kinds apart with dynamic_cast.
class CException {
public:
    // autoDelete FALSE for an object that is not on the heap, so that Delete leaves it alone.
    explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;
    virtual ~CException() = default;

    // Frees an exception that was allocated to be thrown; the only way a catcher ends one.
    void Delete();

    // Copies the message, cut to maxChars - 1 characters; FALSE (and "") when there is none.
    virtual BOOL GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext = nullptr) const;
    // Shows the message in a message box, or string messageId when there is no message.
    virtual int ReportError(UINT type = MB_OK, UINT messageId = 0);

    BOOL m_bAutoDelete;

protected:
    static BOOL CopyMessage(const char* text, char* buffer, UINT maxChars, UINT* helpContext);
};

// The heap is exhausted.
class CMemoryException : public CException {
public:
    using CException::CException;
    BOOL GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
};

// Ends an operation that has already told the user why (a failed validation); no message.
class CUserException : public CException {
public:
    using CException::CException;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowUserException();
