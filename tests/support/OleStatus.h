// The status an automation call fails with, for tests of hosted controls.
#pragma once

#include <gtest/gtest.h>

#include "framework/OleException.h"

namespace ole {

// Runs the call and returns the status of the COleException it throws (S_OK for none);
// any other exception is a failure of the test.
template <class Call> SCODE FailureOf(Call call) {
    try {
        call();
    } catch (COleException* e) {
        SCODE sc = e->m_sc;
        e->Delete();
        return sc;
    } catch (CException* e) {
        ADD_FAILURE() << "a COleException was expected, another kind came";
        e->Delete();
        return E_UNEXPECTED;
    }
    return S_OK;
}

} // namespace ole
