// A fixed-seed mutation run of bench_fuzz (500 inputs through the thumbnail engine, the
// imaging library and the camera driver), as a child process: what it prints is the message.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScratchFiles.h"

namespace {

const char kArguments[] = " --inputs 500 --seed 14 --limit-ms 20000";
const DWORD kTimeoutMs = 280000;

TEST(MutationTest, FiveHundredMutatedFilesNeitherCrashNorHangNorAnswerWrongly) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + scratch::ExeFolder() + "\\bench_fuzz.exe\"" + kArguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process))
        << command;
    ::CloseHandle(writeEnd);

    // Read until the child closes its end (it exits), or the time is up.
    std::string output;
    DWORD start = ::GetTickCount();
    bool timedOut = false;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
            break; // the child and its children are gone
        }
        if (available != 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) || got == 0) {
                break;
            }
            output.append(buffer, got);
            continue;
        }
        if (::WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0 &&
            ::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
            break;
        }
        if (::GetTickCount() - start > kTimeoutMs) {
            ::TerminateProcess(process.hProcess, 1);
            timedOut = true;
            break;
        }
    }
    ::WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ::CloseHandle(readEnd);

    EXPECT_FALSE(timedOut) << output;
    EXPECT_EQ(code, 0u) << output;
    EXPECT_NE(output.find("inputs tried:       500 "), std::string::npos) << output;
    std::printf("%s", output.c_str());
}

} // namespace
