// Mutated JPEG, AVI and BMP files through the real parts: the tray's thumbnail engine, the
// imaging library through CImportDib, and the camera driver's item reading and download (see
// bench/fuzz/). Prints the inputs tried, crashes, hangs (an input that takes longer than the
// limit), the placeholders the tray showed and the answers that broke a contract.
//
//   scripts/wine-env wine build/bin/bench_fuzz.exe [--inputs N] [--seed S] [--limit-ms MS]
//   bench_fuzz.exe --write-seeds DIR      writes the unmutated seed files (scripts/fuzz)
//
// Defaults: 10,000 inputs, seed 1, 10,000 ms a file. The inputs run in child processes of
// this program, a batch each: a crash ends only its child (the parent notes the input and
// starts the next child after it), and a child stuck on one input longer than the limit is
// ended the same way. Crashing and hanging inputs are saved under build/fuzz/mutation/.
// Exits 0 only when nothing crashed, hung or answered wrongly; scripts/test runs 500 with a
// fixed seed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/fuzz/MutationEngines.h"
#include "bench/fuzz/MutationInputs.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

namespace {

const uint32_t kBatch = 500;
const char kDriverKey[] = "Software\\Orvex\\Kestrel Camera Driver";
const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";

struct Options {
    uint32_t inputs = 10000;
    uint32_t seed = 1;
    DWORD limitMs = 10000;
};

// One line to the parent, written at once (a crash right after must not lose it).
void Tell(const std::string& line) {
    DWORD written = 0;
    std::string text = line + "\n";
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                &written, nullptr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* pointers) {
    // Ends the child at once with the exception's code: no debugger, no dialog.
    ::TerminateProcess(::GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// --- the child: one batch of inputs -------------------------------------------------------

int RunChild(uint32_t seed, uint32_t first, uint32_t end, const std::string& work) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::SetUnhandledExceptionFilter(OnCrash);
    CMutationInputs inputs;
    CMutationEngines engines;
    std::string error;
    if (!inputs.MakeSeeds()) {
        Tell("X the test generators failed to make the seed files");
        return 2;
    }
    if (!engines.Open(work, &error)) {
        Tell("X " + error);
        return 2;
    }
    for (uint32_t index = first; index < end; ++index) {
        MutatedInput input = inputs.Make(seed, index);
        Tell("B " + std::to_string(index));
        EngineOutcome outcome = engines.Run(input);
        for (const std::string& wrong : outcome.wrong) {
            Tell("W " + std::to_string(index) + " " + wrong);
        }
        Tell("E " + std::to_string(index) + " " + (outcome.placeholder ? "1" : "0"));
    }
    return 0;
}

// --- the parent -----------------------------------------------------------------------------

struct Tally {
    uint32_t tried = 0;
    uint32_t byKind[3] = {};
    uint32_t crashes = 0;
    uint32_t hangs = 0;
    uint32_t placeholders = 0;
    uint32_t wrong = 0;
    std::vector<std::string> findings;
};

std::string SaveInput(const CMutationInputs& inputs, const Options& options, uint32_t index,
                      const char* what) {
    MutatedInput input = inputs.Make(options.seed, index);
    std::string folder = scratch::ExeFolder() + "\\..\\fuzz\\mutation";
    scratch::MakeDirectories(folder);
    std::string path = folder + "\\" + what + "-" + std::to_string(options.seed) + "-" +
                       std::to_string(index) + "-" + input.seed->name;
    scratch::WriteBytes(path, input.bytes);
    return path;
}

// Runs inputs [first, end) in one child; returns the index to go on from.
uint32_t RunBatch(const CMutationInputs& inputs, const Options& options, uint32_t first,
                  uint32_t end, const std::string& work, Tally* tally) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        std::fprintf(stderr, "cannot create a pipe\n");
        std::exit(2);
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = "\"" + std::string(exe) + "\" --child " + std::to_string(options.seed) +
                          " " + std::to_string(first) + " " + std::to_string(end) + " \"" + work +
                          "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "cannot start a child: error %lu\n", ::GetLastError());
        std::exit(2);
    }
    ::CloseHandle(writeEnd);

    std::string pending;
    long current = -1; // the input begun and not ended
    DWORD begun = ::GetTickCount();
    uint32_t next = first;
    bool hung = false;
    for (;;) {
        DWORD available = 0;
        bool exited = ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) &&
               available != 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) || got == 0) {
                break;
            }
            pending.append(buffer, got);
        }
        size_t newline;
        while ((newline = pending.find('\n')) != std::string::npos) {
            std::string text = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            char tag = text.empty() ? ' ' : text[0];
            uint32_t index = static_cast<uint32_t>(std::strtoul(text.c_str() + 1, nullptr, 10));
            if (tag == 'B') {
                current = index;
                begun = ::GetTickCount();
            } else if (tag == 'E') {
                current = -1;
                next = index + 1;
                ++tally->tried;
                ++tally->byKind[static_cast<int>(inputs.Make(options.seed, index).seed->kind)];
                tally->placeholders += text.back() == '1' ? 1 : 0;
            } else if (tag == 'W') {
                ++tally->wrong;
                tally->findings.push_back("wrong  #" + text.substr(2) + "  [" +
                                          inputs.Make(options.seed, index).mutations + "]");
            } else if (tag == 'X') {
                std::fprintf(stderr, "child cannot start: %s\n", text.c_str() + 2);
                std::exit(2);
            }
        }
        if (exited) {
            break;
        }
        if (current >= 0 && ::GetTickCount() - begun > options.limitMs) {
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            hung = true;
            break;
        }
        ::Sleep(5);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ::CloseHandle(readEnd);
    if (current < 0 && next >= end) {
        if (code != 0) {
            ++tally->crashes;
            tally->findings.push_back("crash  after the last input of a child, code " +
                                      std::to_string(code));
        }
        return end;
    }
    // The child died on (or stuck in) input `current`, or left before the next one.
    uint32_t index = current >= 0 ? static_cast<uint32_t>(current) : next;
    ++tally->tried;
    ++tally->byKind[static_cast<int>(inputs.Make(options.seed, index).seed->kind)];
    char text[64];
    std::snprintf(text, sizeof(text), hung ? "hang   #%u" : "crash  #%u code 0x%08lX", index,
                  static_cast<unsigned long>(code));
    (hung ? tally->hangs : tally->crashes) += 1;
    tally->findings.push_back(std::string(text) + "  [" +
                              inputs.Make(options.seed, index).mutations + "]  saved as " +
                              SaveInput(inputs, options, index, hung ? "hang" : "crash"));
    return index + 1;
}

int RunParent(const Options& options) {
    CMutationInputs inputs;
    if (!inputs.MakeSeeds()) {
        std::fprintf(stderr, "the test generators failed to make the seed files\n");
        return 2;
    }
    // The driver's camera and the program's temporary folder point into a scratch folder for
    // the run; the settings are given back afterwards.
    scratch::Directory work("fuzzrun");
    scratch::RegistryKey driverKey(HKEY_CURRENT_USER, kDriverKey);
    scratch::RegistryKey properties(HKEY_CURRENT_USER, kPropertiesKey);
    if (!work.IsReady() || !driverKey.IsReady() || !properties.IsReady() ||
        !scratch::MakeDirectories(CMutationEngines::TemporaryFolder(work.Path())) ||
        !driverKey.SetString("CameraFolder", work.Path() + "\\camera") ||
        !properties.SetString("TempDirectory", CMutationEngines::TemporaryFolder(work.Path()))) {
        std::fprintf(stderr, "cannot set up the scratch folder and settings\n");
        return 2;
    }
    Tally tally;
    DWORD start = ::GetTickCount();
    for (uint32_t first = 0; first < options.inputs;) {
        uint32_t end = first + kBatch < options.inputs ? first + kBatch : options.inputs;
        first = RunBatch(inputs, options, first, end, work.Path(), &tally);
    }
    double seconds = (::GetTickCount() - start) / 1000.0;

    for (const std::string& finding : tally.findings) {
        std::printf("%s\n", finding.c_str());
    }
    std::printf("seed:               %u\n", options.seed);
    std::printf("inputs tried:       %u (jpeg %u, bmp %u, avi %u)\n", tally.tried, tally.byKind[0],
                tally.byKind[1], tally.byKind[2]);
    std::printf("crashes:            %u\n", tally.crashes);
    std::printf("hangs:              %u (limit %lu ms a file)\n", tally.hangs,
                static_cast<unsigned long>(options.limitMs));
    std::printf("placeholders shown: %u\n", tally.placeholders);
    std::printf("wrong answers:      %u\n", tally.wrong);
    std::printf("time:               %.1f s (%.1f ms an input)\n", seconds,
                tally.tried ? seconds * 1000.0 / tally.tried : 0.0);
    return tally.crashes == 0 && tally.hangs == 0 && tally.wrong == 0 ? 0 : 1;
}

int WriteSeeds(const std::string& folder) {
    CMutationInputs inputs;
    if (!inputs.MakeSeeds() || !scratch::MakeDirectories(folder)) {
        std::fprintf(stderr, "cannot make the seed files in %s\n", folder.c_str());
        return 2;
    }
    for (const SeedFile& seed : inputs.Seeds()) {
        if (!scratch::WriteBytes(folder + "\\" + seed.name, seed.bytes)) {
            return 2;
        }
    }
    std::printf("%zu seed files in %s\n", inputs.Seeds().size(), folder.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::string(argv[1]) == "--child") {
        return RunChild(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10),
                        std::strtoul(argv[4], nullptr, 10), argv[5]);
    }
    if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
        return WriteSeeds(argv[2]);
    }
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        unsigned long value = std::strtoul(argv[i + 1], nullptr, 10);
        if (name == "--inputs" && value > 0) {
            options.inputs = value;
        } else if (name == "--seed") {
            options.seed = value;
        } else if (name == "--limit-ms" && value > 0) {
            options.limitMs = value;
        } else {
            std::fprintf(stderr, "usage: bench_fuzz [--inputs N] [--seed S] [--limit-ms MS]\n"
                                 "       bench_fuzz --write-seeds DIR\n");
            return 2;
        }
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "usage: bench_fuzz [--inputs N] [--seed S] [--limit-ms MS]\n");
        return 2;
    }
    return RunParent(options);
}
