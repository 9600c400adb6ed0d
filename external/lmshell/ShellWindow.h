// The shell's top-level window, of the class others look for: a header, the list of what the
// shell has been told (newest last), and the current gallery below it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ShellSession.h"

namespace lmshell {

class CShellWindow final : public CShellJournal {
public:
    CShellWindow() = default;
    ~CShellWindow();
    CShellWindow(const CShellWindow&) = delete;
    CShellWindow& operator=(const CShellWindow&) = delete;

    // Creates and shows the window; beforeClose runs when it is asked to close, before it goes.
    // False when the class or a window cannot be made.
    bool Create(HINSTANCE instance, int show, std::function<void()> beforeClose);
    HWND Handle() const { return m_hWnd; }

    // CShellJournal: both do nothing once the window is gone.
    void AddLine(const std::string& line) override;
    void ShowCurrentGallery(const std::string& gallery) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnSize(int width, int height);
    void OnClose();
    void OnNcDestroy();
    // Widens the list's scrolling range when a line is longer than any before.
    void FitLineWidth(const std::string& line);

    HWND m_hWnd = nullptr;
    HWND m_header = nullptr;
    HWND m_list = nullptr;
    HWND m_status = nullptr;
    HFONT m_font = nullptr;
    int m_lineHeight = 16;
    int m_widestLine = 0;
    std::function<void()> m_beforeClose;
};

} // namespace lmshell
