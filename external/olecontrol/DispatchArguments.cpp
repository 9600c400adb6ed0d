#include "DispatchArguments.h"

namespace olecontrol {

HRESULT CVariant::From(const VARIANT& source, VARTYPE type) {
    return ::VariantChangeType(&m_value, const_cast<VARIANT*>(&source), 0, type);
}

HRESULT CoerceArgument(const DISPPARAMS& params, UINT position, VARTYPE type, CVariant* value,
                       UINT* badArgument) {
    UINT index = params.cArgs - 1 - position;
    HRESULT hr = value->From(params.rgvarg[index], type);
    if (FAILED(hr) && badArgument != nullptr) {
        *badArgument = index;
    }
    return hr;
}

HRESULT SetResultLong(VARIANT* result, LONG value) {
    if (result != nullptr) {
        ::VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = value;
    }
    return S_OK;
}

HRESULT SetResultShort(VARIANT* result, SHORT value) {
    if (result != nullptr) {
        ::VariantInit(result);
        V_VT(result) = VT_I2;
        V_I2(result) = value;
    }
    return S_OK;
}

HRESULT SetResultBool(VARIANT* result, bool value) {
    if (result != nullptr) {
        ::VariantInit(result);
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT SetResultText(VARIANT* result, const std::wstring& text) {
    if (result == nullptr) {
        return S_OK;
    }
    BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    ::VariantInit(result);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = copy;
    return S_OK;
}

HRESULT SetResultText(VARIANT* result, const std::string& ansiText) {
    if (result == nullptr) {
        return S_OK;
    }
    std::wstring wide;
    int length = static_cast<int>(ansiText.size());
    int size =
        length > 0 ? ::MultiByteToWideChar(CP_ACP, 0, ansiText.data(), length, nullptr, 0) : 0;
    // Text the code page cannot convert comes back as "".
    if (size > 0) {
        wide.resize(static_cast<size_t>(size));
        ::MultiByteToWideChar(CP_ACP, 0, ansiText.data(), length, &wide[0], size);
    }
    return SetResultText(result, wide);
}

std::wstring WideText(BSTR text) {
    return std::wstring(text != nullptr ? text : L"", ::SysStringLen(text));
}

std::string AnsiText(BSTR text) {
    int length = text != nullptr ? static_cast<int>(::SysStringLen(text)) : 0;
    if (length == 0) {
        return std::string();
    }
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, &result[0], size, nullptr, nullptr);
    return result;
}

} // namespace olecontrol
