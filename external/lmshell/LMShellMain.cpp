// LMShell.exe: registers or unregisters itself, or shows its window and serves the gallery
// interface until the window is closed.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ShellClassFactory.h"
#include "ShellRegistration.h"
#include "ShellWindow.h"

// The GUIDs are defined (not only declared) in this file.
#include <initguid.h>

#include "LMShell.h"

namespace {

struct CommandLine {
    bool registerServer = false;
    bool unregisterServer = false;
    // Started by COM for a client that asked for the object.
    bool embedding = false;
};

// Switches start with '/' or '-' and are matched regardless of case; anything else is ignored.
CommandLine ParseCommandLine(const char* text) {
    CommandLine parsed;
    std::string word;
    for (const char* p = text;; ++p) {
        if (*p != '\0' && *p != ' ' && *p != '\t') {
            word += *p;
            continue;
        }
        if (word.size() > 1 && (word[0] == '/' || word[0] == '-')) {
            const char* name = word.c_str() + 1;
            if (::lstrcmpiA(name, "RegServer") == 0) {
                parsed.registerServer = true;
            } else if (::lstrcmpiA(name, "UnregServer") == 0) {
                parsed.unregisterServer = true;
            } else if (::lstrcmpiA(name, "Embedding") == 0 ||
                       ::lstrcmpiA(name, "Automation") == 0) {
                parsed.embedding = true;
            }
        }
        word.clear();
        if (*p == '\0') {
            break;
        }
    }
    return parsed;
}

std::string ModulePath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            return std::string(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The calling thread's single-threaded apartment, left at scope end.
class CApartment {
public:
    CApartment() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CApartment() {
        if (SUCCEEDED(m_hr)) {
            ::CoUninitialize();
        }
    }
    CApartment(const CApartment&) = delete;
    CApartment& operator=(const CApartment&) = delete;
    HRESULT Status() const { return m_hr; }

private:
    HRESULT m_hr;
};

// The class object, registered with COM for as long as it is in scope or until Revoke.
class CClassRegistration {
public:
    explicit CClassRegistration(IClassFactory* factory) {
        m_hr = ::CoRegisterClassObject(CLSID_LMShellGalleryInterface, factory, CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~CClassRegistration() { Revoke(); }
    CClassRegistration(const CClassRegistration&) = delete;
    CClassRegistration& operator=(const CClassRegistration&) = delete;
    HRESULT Status() const { return m_hr; }
    // Clients asking from now on start another copy; objects already handed out keep working
    // until the program leaves its apartment.
    void Revoke() {
        if (SUCCEEDED(m_hr) && m_cookie != 0) {
            ::CoRevokeClassObject(m_cookie);
            m_cookie = 0;
        }
    }

private:
    HRESULT m_hr = E_FAIL;
    DWORD m_cookie = 0;
};

// A copy started by hand while another runs: that one comes to the front instead.
bool ActivateRunningCopy() {
    HWND running = ::FindWindowA(kLMShellWindowClass, nullptr);
    if (running == nullptr) {
        return false;
    }
    if (::IsIconic(running)) {
        ::ShowWindow(running, SW_RESTORE);
    }
    ::SetForegroundWindow(running);
    return true;
}

int Serve(HINSTANCE instance, int show, bool embedding) {
    // Declared before the apartment: the objects COM still holds go when it is left, and they
    // use the session and (through it) the window until then.
    lmshell::CShellWindow window;
    lmshell::CShellSession session(&window);
    lmshell::CShellClassFactory factory(&session);

    CApartment apartment;
    if (FAILED(apartment.Status())) {
        return 1;
    }
    // Registered before the window exists: a client that finds the window (that is how the
    // camera manager tells that the shell runs) must find the class object too, or COM
    // would start a second copy for it.
    CClassRegistration registration(&factory);
    // Started by COM the window shows without taking the focus from the client's.
    if (!window.Create(instance, embedding ? SW_SHOWNOACTIVATE : show,
                       [&registration] { registration.Revoke(); })) {
        return 1;
    }
    session.Note(embedding ? "Shell started by COM for a client" : "Shell started");
    if (FAILED(registration.Status())) {
        // The window stays, so that a person sees why nothing arrives.
        session.Note(std::string("Cannot serve ") + kLMShellProgId +
                     ": CoRegisterClassObject failed with " + HexCode(registration.Status()));
    } else {
        session.Note(std::string("Serving ") + kLMShellProgId);
    }

    MSG msg;
    BOOL got;
    while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return got == -1 ? 1 : static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLineText, int show) {
    const CommandLine commandLine =
        ParseCommandLine(commandLineText != nullptr ? commandLineText : "");
    if (commandLine.unregisterServer) {
        return lmshell::UnregisterShellServer() == ERROR_SUCCESS ? 0 : 1;
    }
    if (commandLine.registerServer) {
        return lmshell::RegisterShellServer(ModulePath()) == ERROR_SUCCESS ? 0 : 1;
    }
    if (!commandLine.embedding && ActivateRunningCopy()) {
        return 0;
    }
    return Serve(instance, show, commandLine.embedding);
}
