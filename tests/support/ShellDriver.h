// Drives the shell program stand-in, LMShell.exe, from a test: registers and starts it from
// the test's folder, finds its window, reads the lines it lists, and closes it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace shelltest {

std::string ShellPath();
// Starts LMShell.exe with the arguments; a null process on failure. The thread handle is closed.
PROCESS_INFORMATION StartShell(const std::string& arguments);
// Waits for a process to end and closes its handle; its exit code, or ~0 when it did not end.
DWORD WaitAndClose(HANDLE process);
// Runs LMShell.exe to its end (/RegServer, /UnregServer); its exit code.
DWORD RunShell(const std::string& arguments);
// The shell's window, or null; WaitForShellWindow waits until one shows.
HWND ShellWindow();
HWND WaitForShellWindow();
// The lines of the shell's list, read across processes.
std::vector<std::string> Lines(HWND shell);
// Waits until a line of the shell holds the text; on failure says what the lines were.
::testing::AssertionResult ShowsLine(HWND shell, const std::string& text);
// Asks the shell to close as a user would and waits for its process to end; its exit code.
DWORD CloseShell(HWND shell);

}  // namespace shelltest
