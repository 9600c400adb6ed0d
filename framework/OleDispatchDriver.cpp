#include "framework/OleDispatchDriver.h"

#include <cstring>
#include <vector>

#include "framework/OleException.h"
#include "framework/String.h"

namespace {

// The arguments of one call, cleared (converted strings freed) however the call ends.
class ArgumentList {
public:
    explicit ArgumentList(size_t count) : m_values(count) {
        for (VARIANT& value : m_values) {
            ::VariantInit(&value);
        }
    }
    ~ArgumentList() {
        for (VARIANT& value : m_values) {
            ::VariantClear(&value);
        }
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    VARIANT* Data() { return m_values.empty() ? nullptr : m_values.data(); }
    VARIANT& operator[](size_t index) { return m_values[index]; }

private:
    std::vector<VARIANT> m_values;
};

// A result that is cleared however the call ends.
class ResultHolder {
public:
    ResultHolder() { ::VariantInit(&m_value); }
    ~ResultHolder() { ::VariantClear(&m_value); }
    ResultHolder(const ResultHolder&) = delete;
    ResultHolder& operator=(const ResultHolder&) = delete;

    VARIANT* Get() { return &m_value; }

private:
    VARIANT m_value;
};

// A new BSTR of the ANSI text; "" for null. Null only when out of memory.
BSTR AnsiToBstr(const char* text) {
    if (text == nullptr || *text == '\0') {
        return ::SysAllocStringLen(nullptr, 0);
    }
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return ::SysAllocStringLen(nullptr, 0);
    }
    BSTR wide = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (wide != nullptr) {
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, length);
    }
    return wide;
}

// The whole BSTR in ANSI, embedded zeros included.
CString BstrToAnsi(BSTR text) {
    int wideLength = static_cast<int>(::SysStringLen(text));
    if (wideLength == 0) {
        return CString();
    }
    int length = ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return CString();
    }
    CString result;
    char* buffer = result.GetBuffer(length);
    ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, buffer, length, nullptr, nullptr);
    result.ReleaseBuffer(length);
    return result;
}

bool IsArgumentType(VARTYPE type) {
    return type == VT_I2 || type == VT_I4 || type == VT_BOOL || type == VT_BSTR;
}

bool IsResultType(VARTYPE type) {
    return type == VT_EMPTY || type == VT_I8 || IsArgumentType(type);
}

// Takes one argument of the list as the VTS_ byte describes it.
void TakeArgument(BYTE info, va_list& args, VARIANT& value) {
    VARTYPE type = static_cast<VARTYPE>(info & ~kVtsByRef);
    if (!IsArgumentType(type)) {
        AfxThrowOleException(DISP_E_BADVARTYPE);
    }
    if (info & kVtsByRef) {
        V_VT(&value) = static_cast<VARTYPE>(type | VT_BYREF);
        V_BYREF(&value) = va_arg(args, void*);
        return;
    }
    switch (type) {
    case VT_I2:
        V_VT(&value) = VT_I2;
        V_I2(&value) = static_cast<SHORT>(va_arg(args, int));
        break;
    case VT_I4:
        V_VT(&value) = VT_I4;
        V_I4(&value) = va_arg(args, long);
        break;
    case VT_BOOL:
        V_VT(&value) = VT_BOOL;
        V_BOOL(&value) = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default: {
        BSTR text = AnsiToBstr(va_arg(args, const char*));
        if (text == nullptr) {
            AfxThrowMemoryException();
        }
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = text;
        break;
    }
    }
}

// Turns the server's own error into the exception the caller sees.
[[noreturn]] void ThrowServerError(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn != nullptr) {
        info.pfnDeferredFillIn(&info);
    }
    CString description = BstrToAnsi(info.bstrDescription);
    CString source = BstrToAnsi(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrHelpFile);
    AfxThrowOleDispatchException(info.wCode, description, source, info.scode);
}

// Calls the driver with no arguments: GetProperty is const and has no list of its own.
void InvokeWithoutArguments(const COleDispatchDriver& driver, DISPID dispid, WORD flags,
                            VARTYPE vtRet, void* pvRet, ...) {
    va_list args;
    va_start(args, pvRet);
    try {
        driver.InvokeHelperV(dispid, flags, vtRet, pvRet, nullptr, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

} // namespace

COleDispatchDriver::COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease)
    : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease) {}

COleDispatchDriver::~COleDispatchDriver() {
    ReleaseDispatch();
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid) {
    ReleaseDispatch();
    IDispatch* dispatch = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr) || dispatch == nullptr) {
        return FALSE;
    }
    AttachDispatch(dispatch, TRUE);
    return TRUE;
}

BOOL COleDispatchDriver::CreateDispatch(LPCSTR progId) {
    if (progId == nullptr || *progId == '\0') {
        return FALSE;
    }
    BSTR wideProgId = AnsiToBstr(progId);
    if (wideProgId == nullptr) {
        return FALSE;
    }
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(wideProgId, &clsid);
    ::SysFreeString(wideProgId);
    if (FAILED(hr)) {
        return FALSE;
    }
    return CreateDispatch(clsid);
}

void COleDispatchDriver::AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease) {
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

LPDISPATCH COleDispatchDriver::DetachDispatch() {
    LPDISPATCH dispatch = m_lpDispatch;
    m_lpDispatch = nullptr;
    return dispatch;
}

void COleDispatchDriver::ReleaseDispatch() {
    if (m_lpDispatch != nullptr && m_bAutoRelease) {
        m_lpDispatch->Release();
    }
    m_lpDispatch = nullptr;
}

void COleDispatchDriver::InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                      const BYTE* pbParamInfo, ...) {
    va_list args;
    va_start(args, pbParamInfo);
    try {
        InvokeHelperV(dwDispID, wFlags, vtRet, pvRet, pbParamInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void COleDispatchDriver::SetProperty(DISPID dwDispID, VARTYPE vtProp, ...) {
    if (vtProp >= kVtsByRef) {
        AfxThrowOleException(DISP_E_BADVARTYPE);
    }
    const BYTE paramInfo[2] = {static_cast<BYTE>(vtProp), 0};
    va_list args;
    va_start(args, vtProp);
    try {
        InvokeHelperV(dwDispID, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, paramInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void COleDispatchDriver::GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const {
    InvokeWithoutArguments(*this, dwDispID, DISPATCH_PROPERTYGET, vtProp, pvProp);
}

void COleDispatchDriver::InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                       const BYTE* pbParamInfo, va_list argList) const {
    if (m_lpDispatch == nullptr) {
        AfxThrowOleException(E_NOINTERFACE);
    }
    if (!IsResultType(vtRet)) {
        AfxThrowOleException(DISP_E_BADVARTYPE);
    }
    size_t count =
        pbParamInfo != nullptr ? std::strlen(reinterpret_cast<const char*>(pbParamInfo)) : 0;

    // The server reads the arguments last to first.
    ArgumentList arguments(count);
    va_list args;
    va_copy(args, argList);
    try {
        for (size_t i = 0; i < count; ++i) {
            TakeArgument(pbParamInfo[i], args, arguments[count - 1 - i]);
        }
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);

    DISPPARAMS params = {arguments.Data(), nullptr, static_cast<UINT>(count), 0};
    DISPID namedPut = DISPID_PROPERTYPUT;
    bool put = (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }
    ResultHolder result;
    EXCEPINFO error = {};
    UINT badArgument = 0;
    // No result is asked of a put: some servers refuse one that asks.
    HRESULT hr = m_lpDispatch->Invoke(dwDispID, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                      put ? nullptr : result.Get(), &error, &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        ThrowServerError(error);
    }
    ::SysFreeString(error.bstrDescription);
    ::SysFreeString(error.bstrSource);
    ::SysFreeString(error.bstrHelpFile);
    if (FAILED(hr)) {
        AfxThrowOleException(hr);
    }
    if (vtRet == VT_EMPTY || pvRet == nullptr) {
        return;
    }

    VARIANT* value = result.Get();
    if (V_VT(value) != vtRet) {
        hr = ::VariantChangeType(value, value, 0, vtRet);
        if (FAILED(hr)) {
            AfxThrowOleException(hr);
        }
    }
    switch (vtRet) {
    case VT_I2:
        *static_cast<short*>(pvRet) = V_I2(value);
        break;
    case VT_I4:
        *static_cast<long*>(pvRet) = V_I4(value);
        break;
    case VT_I8:
        *static_cast<LONGLONG*>(pvRet) = V_I8(value);
        break;
    case VT_BOOL:
        *static_cast<BOOL*>(pvRet) = V_BOOL(value) != VARIANT_FALSE ? TRUE : FALSE;
        break;
    default:
        *static_cast<CString*>(pvRet) = BstrToAnsi(V_BSTR(value));
        break;
    }
}
