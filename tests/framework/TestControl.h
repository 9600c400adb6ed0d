// A control written for the tests: a COM object with a window, dispatch members that report
// what reached them, an event connection point, and a journal of the container's calls. Its
// class is registered in this process only, so CoCreateInstance finds it without the registry.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace test_control {

// {5E0B1F53-8C8A-4C44-9D2B-7A1B3C4D5E01}
const CLSID kClsid = {0x5e0b1f53, 0x8c8a, 0x4c44, {0x9d, 0x2b, 0x7a, 0x1b, 0x3c, 0x4d, 0x5e, 0x01}};
// A class nobody registers. {5E0B1F53-8C8A-4C44-9D2B-7A1B3C4D5E02}
const CLSID kUnknownClsid = {
    0x5e0b1f53, 0x8c8a, 0x4c44, {0x9d, 0x2b, 0x7a, 0x1b, 0x3c, 0x4d, 0x5e, 0x02}};
// The control's event interface. {5E0B1F53-8C8A-4C44-9D2B-7A1B3C4D5E03}
const IID kEventsIid = {
    0x5e0b1f53, 0x8c8a, 0x4c44, {0x9d, 0x2b, 0x7a, 0x1b, 0x3c, 0x4d, 0x5e, 0x03}};

enum Dispid : DISPID {
    kEcho = 1,          // method (any arguments): journals each as "TYPE:value"; by-reference
                        // ones are written back: a long doubled, a BSTR replaced by "was <old>"
    kReturn = 2,        // method (VT_I4 kind) -> a value of that VARTYPE (kTextNumber: "42")
    kFail = 3,          // method: fails with DISP_E_EXCEPTION and a description
    kTwoArguments = 4,  // method (two arguments), else DISP_E_BADPARAMCOUNT
    kFire = 5,          // method (VT_I4 dispid, further arguments): fires that event with them
    kValue = 10,        // property of any type; a put must name DISPID_PROPERTYPUT
};
const long kTextNumber = 100;

// What the control saw; reset before each test.
struct Journal {
    std::vector<std::string> calls;   // container calls, in order ("DoVerb", "Close", ...)
    std::vector<std::string> echoed;  // arguments of the last kEcho, first to last
    int alive = 0;                    // control objects not yet destroyed
    bool failDoVerb = false;          // DoVerb fails without making a window
    HWND window = nullptr;            // the control's window while it has one
    HWND siteWindow = nullptr;        // what the site's IOleWindow::GetWindow answered
    RECT contextRect = {};            // the position the site's GetWindowContext gave
    void* userData = nullptr;         // what the control keeps in its window's user-data slot
};
Journal& TheJournal();

// Registers the control's class for the lifetime of the object (COM must be initialised).
class Registration {
public:
    Registration();
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    bool IsReady() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};

} // namespace test_control
