// What a control's IDispatch::Invoke does with VARIANTs: coerces the caller's arguments
// (which arrive last first, by value or by reference) and writes typed results.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace olecontrol {

// A VARIANT that is cleared at the end of its scope.
class CVariant {
public:
    CVariant() { ::VariantInit(&m_value); }
    ~CVariant() { ::VariantClear(&m_value); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;

    // Coerces source (a by-reference one too) to type; the coercion's error on failure.
    HRESULT From(const VARIANT& source, VARTYPE type);
    const VARIANT& Value() const { return m_value; }

private:
    VARIANT m_value;
};

// Argument position (0: the first the caller wrote) coerced to type. On failure the
// coercion's error, and badArgument (when given) names the argument as rgvarg counts it.
HRESULT CoerceArgument(const DISPPARAMS& params, UINT position, VARTYPE type, CVariant* value,
                       UINT* badArgument);

// Typed results; each leaves a null result (the caller wants none) alone.
HRESULT SetResultLong(VARIANT* result, LONG value);
HRESULT SetResultShort(VARIANT* result, SHORT value);
HRESULT SetResultBool(VARIANT* result, bool value);
// E_OUTOFMEMORY when the string cannot be made.
HRESULT SetResultText(VARIANT* result, const std::wstring& text);
HRESULT SetResultText(VARIANT* result, const std::string& ansiText);

// A BSTR's text (null is the empty string), wide or in the ANSI code page.
std::wstring WideText(BSTR text);
std::string AnsiText(BSTR text);

} // namespace olecontrol
