// The program against the faults of everything around it, driven from outside: one row per
// fault (the camera and its driver's knobs, the driver's packagings, the temporary folder, the
// gallery's volume, the shell program) at the phase where it strikes. Every row gets the same
// checks: what the user sees, that the outcome told is the true one, that no temporary file
// stays behind, that no downloaded or saved file is damaged, and that the program ends
// cleanly. The matrix is printed with a mark per row and check.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "external/lmshell/LMShell.h"
#include "tests/e2e/ProgramTestSupport.h"

#include <commctrl.h>

#include "tests/support/ShellDriver.h"

using e2etest::kAborted;
using e2etest::kAppCaption;
using e2etest::kComplete;
using e2etest::kCreate;
using e2etest::kNoCamera;
using e2etest::kSaveTitle;
using e2etest::kDownloadTitle;
using e2etest::kMainTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;

namespace {

const char kCannot[] = "Cannot transfer files to the selected folder";
const char kCounts[] = "2 % of camera memory full | 2 Snapshots Taken | 1 Video Taken";
const std::string kMessageLine = std::string("message: ") + kAborted;

// The camera of every row, in the driver's order, and the names the program gives them.
struct CameraFile {
    const char* name;
    size_t bytes;
    const char* download; // in the temporary folder
    const char* saved;    // in the gallery, with the prefix PARTY
};
const CameraFile kCamera[] = {
    {"A.JPG", 3000, "Snapshot0000.jpg", "PARTY_0001.jpg"},
    {"B.AVI", 5000, "Snapshot0001.avi", "PARTY_0002.avi"},
    {"C.JPG", 4000, "Snapshot0002.jpg", "PARTY_0003.jpg"},
};

// Where a row's fault strikes: in the refresh that runs as the program starts, or in a Get All
// into the gallery after a refresh that went well.
enum class Phase { Download, Transfer };

// A message box the row expects, and the button that answers it.
struct Answer {
    std::string text;
    int button;
    const char* caption = kMainTitle;
};

enum Check { kShown, kTruthful, kNoTemporary, kIntact, kCleanExit, kCheckCount };
const char* const kCheckNames[kCheckCount] = {"shown", "true", "no temp", "intact", "clean exit"};
enum class Mark { Pass, Fail, Skip };

// The files a row can leave behind by mistake: the driver's, the conversion's, the imaging
// library's and the safe copy's temporary files.
bool IsTemporaryName(const std::string& name) {
    auto starts = [&](const char* prefix) {
        return ::_strnicmp(name.c_str(), prefix, std::strlen(prefix)) == 0;
    };
    const bool tmp = name.size() > 4 && ::lstrcmpiA(name.c_str() + name.size() - 4, ".tmp") == 0;
    return tmp && (starts("DFT") || starts("~kcd") || starts("~bmp") || starts("~FLT"));
}

std::set<std::string> TemporaryFiles(const std::string& folder) {
    std::set<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsTemporaryName(data.cFileName)) {
            found.insert(folder + "\\" + data.cFileName);
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return found;
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::string listed = scratch::ListFiles(folder);
    for (size_t at = 0; at < listed.size();) {
        size_t end = listed.find(' ', at);
        end = end == std::string::npos ? listed.size() : end;
        if (end > at) {
            names.push_back(listed.substr(at, end - at));
        }
        at = end + 1;
    }
    return names;
}

std::string SystemTempFolder() {
    char temp[MAX_PATH] = "";
    const DWORD length = ::GetTempPathA(sizeof temp, temp);
    std::string folder(temp, length < sizeof temp ? length : 0);
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

// The volumes tests/e2e/fault-volumes mounted, as Wine paths; empty when it could not.
std::string FaultVolume(const char* name) {
    const char* root = std::getenv("FOTOLOFT_FAULT_VOLUMES");
    if (root == nullptr || *root == '\0') {
        return std::string();
    }
    std::string path = std::string("Z:") + root + "/" + name;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return scratch::DirectoryExists(path) ? path : std::string();
}

// Whether a file can be made in `folder`; a read-only volume refuses it.
bool Writable(const std::string& folder) {
    const std::string probe = folder + "\\probe.txt";
    const bool written = scratch::WriteBytes(probe, "x");
    ::DeleteFileA(probe.c_str());
    return written;
}

// Fills the volume of `folder` until `leave` bytes are free; false when it cannot say.
bool FillVolume(const std::string& folder, ULONGLONG leave) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, nullptr, nullptr) ||
        available.QuadPart < leave) {
        return false;
    }
    return scratch::WriteBytes(folder + "\\filler.bin",
                               std::string(static_cast<size_t>(available.QuadPart - leave), 'f'));
}

// A copy of a driver library in which one export's name is spoiled, as a library built
// without that export would be. The last letter is raised by one, so the name table stays in
// order; false when the name is not in the file.
bool CopyWithoutExport(const std::string& from, const std::string& to, const std::string& name) {
    std::string bytes = scratch::ReadBytes(from);
    const std::string entry = std::string(1, '\0') + name + std::string(1, '\0');
    const size_t at = bytes.find(entry);
    if (at == std::string::npos) {
        return false;
    }
    ++bytes[at + name.size()];
    return scratch::WriteBytes(to, bytes);
}

} // namespace

class FaultMatrixTest : public e2etest::ProgramTest {
protected:
    struct Row;

    // What one row works with; made afresh for each row.
    struct Run {
        FaultMatrixTest& test;
        scratch::Directory gallerySpace{"e2e-matrix-galleries"};
        scratch::Directory programFolder{"e2e-matrix-program"};
        scratch::RegistryKey installed{HKEY_CURRENT_USER,
                                       "Software\\Orvex\\LumoraInstalled\\Lumora2"};
        scratch::RegistryKey fotoloft{HKEY_CURRENT_USER, "SOFTWARE\\Orvex\\Lumora2\\Fotoloft"};
        scratch::RegistryKey shellTest{HKEY_CURRENT_USER, kLMShellTestKey};
        std::string galleries;            // the galleries root
        std::string gallery;              // where the files go: "Party" in the root
        std::string tempFolder;           // the program's temporary folder
        std::string exeFolder;            // where the program starts; empty: the test's folder
        std::vector<std::string> cleanUp; // files and folders made outside scratch folders
        PROCESS_INFORMATION shell{};
        std::unique_ptr<e2e::Program> program;
        HWND main = nullptr;

        explicit Run(FaultMatrixTest& owner) : test(owner) {
            SetGalleries(gallerySpace.Path());
            tempFolder = test.downloads.Path();
        }
        ~Run() {
            program.reset();
            if (shell.hProcess != nullptr) {
                if (HWND window = shelltest::ShellWindow()) {
                    shelltest::CloseShell(window);
                }
                ::TerminateProcess(shell.hProcess, 0);
                ::CloseHandle(shell.hProcess);
            }
            for (auto it = cleanUp.rbegin(); it != cleanUp.rend(); ++it) {
                if (!::DeleteFileA(it->c_str())) {
                    ::RemoveDirectoryA(it->c_str());
                }
            }
        }
        void SetGalleries(const std::string& root) {
            galleries = root;
            gallery = root + "\\Party";
            installed.SetString("GalleriesPath", root);
        }

        // Fotoloft.exe and every library beside it except the driver's, copied to a folder of
        // its own, where the row then puts the driver packaging it tests.
        bool CopyProgram() {
            exeFolder = programFolder.Path();
            WIN32_FIND_DATAA data;
            HANDLE find = ::FindFirstFileA((scratch::ExeFolder() + "\\*").c_str(), &data);
            if (find == INVALID_HANDLE_VALUE) {
                return false;
            }
            bool ok = true;
            do {
                const std::string name = data.cFileName;
                const bool library =
                    name.size() > 4 && ::lstrcmpiA(name.c_str() + name.size() - 4, ".dll") == 0;
                if ((library && ::_strnicmp(name.c_str(), "camlnk", 6) != 0) ||
                    ::lstrcmpiA(name.c_str(), "Fotoloft.exe") == 0) {
                    ok = ::CopyFileA((scratch::ExeFolder() + "\\" + name).c_str(),
                                     (exeFolder + "\\" + name).c_str(), FALSE) &&
                         ok;
                }
            } while (::FindNextFileA(find, &data));
            ::FindClose(find);
            return ok;
        }
        // One driver library of `packaging` ("" for bin, "binding" for the two libraries).
        bool PutDriver(const char* name, const char* missingExport = nullptr) {
            const std::string from = scratch::ExeFolder() + "\\binding\\" + name;
            const std::string to = exeFolder + "\\" + name;
            return missingExport != nullptr ? CopyWithoutExport(from, to, missingExport)
                                            : ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
        }
    };

    struct Row {
        const char* name;
        Phase phase;
        // Before the program starts; false when the fault cannot be made on this machine.
        std::function<bool(Run&)> arrange;
        // While the phase runs, before the boxes are answered (a cancel, a second refresh).
        std::function<void(Run&)> during;
        std::vector<Answer> boxes;
        // What the status area shows at the end (download rows).
        std::string status;
        // Whether everything arrived: the true outcome, which the program must tell.
        bool arrives;
        // A check of the row's own beyond the common ones; empty when it has none.
        std::function<std::string(Run&)> extra;
    };

    // Runs one row and gives its marks; `notes` collects what went wrong, in words.
    std::vector<Mark> RunRow(const Row& row, std::string* notes) {
        std::vector<Mark> marks(kCheckCount, Mark::Skip);
        auto fail = [&](Check check, const std::string& why) {
            marks[check] = Mark::Fail;
            *notes += std::string("\n  [") + kCheckNames[check] + "] " + why;
        };
        // Each row starts from the same camera and knobs.
        driver.Clear();
        driver.SetString("CameraFolder", camera.Path());
        driver.SetDword("CapacityMB", 1);
        scratch::RemoveTree(camera.Path());
        ::CreateDirectoryA(camera.Path().c_str(), nullptr);
        for (const CameraFile& file : kCamera) {
            AddFile(file.name, file.bytes);
        }
        Run run(*this);
        run.fotoloft.SetString("DefaultGallery", "Party");
        ::CreateDirectoryA(run.gallery.c_str(), nullptr);
        if (row.arrange && !row.arrange(run)) {
            *notes += "\n  skipped: the fault cannot be made here (see tests/e2e/fault-volumes)";
            return marks;
        }
        properties.SetString("TempDirectory", run.tempFolder);
        const std::string systemTemp = SystemTempFolder();
        const std::set<std::string> tempBefore = TemporaryFiles(systemTemp);
        const std::vector<std::string> galleryBefore = FileNames(run.gallery);

        // The phase, and what the user saw of it.
        std::string shown;
        // From the test's own folder unless the row made a copy of the program.
        const std::string from = run.exeFolder.empty() ? scratch::ExeFolder() : run.exeFolder;
        run.program = std::make_unique<e2e::Program>(from + "\\Fotoloft.exe", "", from);
        run.main = run.program->WaitForWindow(kMainTitle, kWindowTimeout);
        if (run.main == nullptr) {
            fail(kShown, "the main window did not open");
            return marks;
        }
        if (row.phase == Phase::Transfer) {
            const std::string counts = WaitForStatus(run.main, kCounts);
            if (counts != kCounts) {
                fail(kShown, "the refresh before the transfer showed " + counts);
                return marks;
            }
        }
        if (row.during) {
            row.during(run);
        }
        if (row.phase == Phase::Transfer) {
            e2e::Click(run.main, IDC_GET_ALL);
            HWND dialog = run.program->WaitForWindow(kSaveTitle, kWindowTimeout);
            if (dialog == nullptr) {
                fail(kShown, "no save dialog");
                return marks;
            }
            ::SetDlgItemTextA(dialog, IDC_PREFIX, "PARTY");
            e2e::Click(dialog, IDOK);
        }
        std::string expected;
        for (const Answer& answer : row.boxes) {
            expected += "box: " + answer.text + " / ";
            std::string text;
            HWND box = run.program->WaitForMessageBox(answer.caption, run.main, kTimeout, &text);
            if (box == nullptr) {
                shown += "(no box) / ";
                break;
            }
            shown += "box: " + text + " / ";
            ui::PressButton(box, answer.button);
            ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout);
        }
        if (row.phase == Phase::Download) {
            expected += row.status;
            shown += WaitForStatus(run.main, row.status);
            if (run.program->HasWindow(kDownloadTitle)) {
                shown += " (the download dialog still shows)";
            }
        } else {
            // Nothing more may come: no further box, no second transfer.
            ::Sleep(300);
            if (HWND box = run.program->WaitForWindow(kMainTitle, 0, run.main)) {
                shown += "box: " + ui::MessageBoxText(box) + " / ";
            }
            // The counts of the refresh stay.
            expected += kCounts;
            shown += Status(run.main);
        }
        marks[kShown] = Mark::Pass;
        if (shown != expected) {
            fail(kShown, "expected \"" + expected + "\", saw \"" + shown + "\"");
        }
        if (row.extra) {
            const std::string why = row.extra(run);
            if (!why.empty()) {
                fail(kShown, why);
            }
        }

        // The outcome told against what is on disk.
        const std::string folder = row.phase == Phase::Download ? run.tempFolder : run.gallery;
        bool arrived = true;
        for (const CameraFile& file : kCamera) {
            const std::string copy =
                folder + "\\" + (row.phase == Phase::Download ? file.download : file.saved);
            arrived = arrived && scratch::ReadBytes(copy) == scratch::ReadBytes(camera / file.name);
        }
        const bool toldSuccess = row.phase == Phase::Download
                                     ? shown.find("message:") == std::string::npos &&
                                           shown.find(kNoCamera) == std::string::npos
                                     : shown.find(kComplete) != std::string::npos;
        marks[kTruthful] = Mark::Pass;
        if (toldSuccess != arrived) {
            fail(kTruthful, toldSuccess ? "success was told, but not every file arrived whole"
                                        : "every file arrived, but a failure was told");
        }
        if (arrived != row.arrives) {
            fail(kTruthful,
                 arrived ? "every file arrived despite the fault" : "not every file arrived");
        }

        // Whole copies of the camera's files, or nothing, in the temporary folder and the
        // gallery; nothing the gallery held before is touched.
        marks[kIntact] = Mark::Pass;
        std::map<std::string, std::string> originals;
        for (const CameraFile& file : kCamera) {
            originals[file.download] = originals[file.saved] =
                scratch::ReadBytes(camera / file.name);
        }
        for (const std::string& where : {run.tempFolder, run.gallery}) {
            for (const std::string& name : FileNames(where)) {
                const bool before = where == run.gallery &&
                                    std::find(galleryBefore.begin(), galleryBefore.end(), name) !=
                                        galleryBefore.end();
                if (before || IsTemporaryName(name)) {
                    continue;
                }
                auto original = originals.find(name);
                if (original == originals.end()) {
                    fail(kIntact, "a file nobody asked for: " + where + "\\" + name);
                } else if (scratch::ReadBytes(where + "\\" + name) != original->second) {
                    fail(kIntact, "a damaged or half-written file: " + where + "\\" + name);
                }
            }
        }

        // Leftover temporary files, in every folder the program and its libraries write to.
        marks[kNoTemporary] = Mark::Pass;
        auto checkTemporary = [&](const char* when) {
            std::set<std::string> left = TemporaryFiles(run.tempFolder);
            for (const std::string& path : TemporaryFiles(run.gallery)) {
                left.insert(path);
            }
            for (const std::string& path : TemporaryFiles(systemTemp)) {
                if (tempBefore.count(path) == 0) {
                    left.insert(path);
                }
            }
            for (const std::string& path : left) {
                fail(kNoTemporary, std::string(when) + ": " + path);
                ::DeleteFileA(path.c_str());
            }
        };
        checkTemporary("while it runs");

        // The end: the program closes and takes its downloaded files with it.
        marks[kCleanExit] = Mark::Pass;
        if (!run.program->CloseAndWait(run.main, kTimeout)) {
            fail(kCleanExit, "the program did not end when its window was closed");
        } else {
            for (const CameraFile& file : kCamera) {
                if (scratch::FileExists(run.tempFolder + "\\" + file.download)) {
                    fail(kCleanExit, std::string(file.download) + " stayed after the exit");
                }
            }
            checkTemporary("after the exit");
        }
        return marks;
    }

    static std::vector<Row> Rows();
};

std::vector<FaultMatrixTest::Row> FaultMatrixTest::Rows() {
    const Answer retry{kNoCamera, IDRETRY};
    const Answer cancel{kNoCamera, IDCANCEL};
    const Answer complete{kComplete, IDOK};
    const Answer cannot{kCannot, IDOK};
    auto knob = [](const char* name, DWORD value) {
        return [=](Run& run) { return run.test.driver.SetDword(name, value); };
    };
    // Cancels the download dialog once `ready` holds.
    auto cancelWhen = [](std::function<bool(Run&)> ready) {
        return [=](Run& run) {
            HWND progress = run.program->WaitForWindow(kDownloadTitle, kTimeout);
            if (progress != nullptr) {
                ui::WaitUntil([&] { return ready(run); }, kTimeout, 5);
                e2e::Click(progress, IDCANCEL);
            }
        };
    };
    auto readOnlyVolume = [] {
        const std::string volume = FaultVolume("readonly");
        return !volume.empty() && !Writable(volume) ? volume : std::string();
    };
    // The full volume as the galleries root, with `free` bytes left on it.
    auto fullGallery = [](ULONGLONG free) {
        return [=](Run& run) {
            const std::string volume = FaultVolume("full");
            if (volume.empty()) {
                return false;
            }
            run.SetGalleries(volume);
            ::CreateDirectoryA(run.gallery.c_str(), nullptr);
            run.cleanUp = {run.gallery, volume + "\\filler.bin"};
            for (const CameraFile& file : kCamera) {
                run.cleanUp.push_back(run.gallery + "\\" + file.saved);
            }
            return FillVolume(volume, free);
        };
    };
    auto startShell = [](Run& run) {
        run.shell = shelltest::StartShell("");
        return run.shell.hProcess != nullptr && shelltest::WaitForShellWindow() != nullptr;
    };
    // The program in a folder of its own with the driver libraries named (`spoiled`: the
    // library's copy without the export `without`).
    auto packaging = [](std::vector<const char*> libraries, const char* spoiled = nullptr,
                        const char* without = nullptr) {
        return [=](Run& run) {
            bool ok = run.CopyProgram();
            for (const char* library : libraries) {
                const bool spoil = spoiled != nullptr && std::strcmp(library, spoiled) == 0;
                ok = ok && run.PutDriver(library, spoil ? without : nullptr);
            }
            return ok;
        };
    };
    auto noCamera = [](Run& run) {
        run.test.driver.Delete("CameraFolder");
        return true;
    };
    // The single library binds at the first refresh; the second one lists no sizes.
    auto refreshWithoutSizes = [](Run& run) {
        WaitForStatus(run.main, kCounts);
        run.test.driver.SetDword("BulkInitFails", 1);
        e2e::Click(run.main, IDC_REFRESH);
        HWND progress = run.program->WaitForWindow(kDownloadTitle, kTimeout);
        ui::WaitUntil([&] { return !::IsWindow(progress); }, kTimeout);
    };
    auto inSecondFile = [](Run& run) {
        HWND progress = run.program->WaitForWindow(kDownloadTitle, 0);
        return e2e::ControlText(progress, IDC_PROGRESS_TEXT) == "Downloading ( 2 of 3 )";
    };
    // The bar is (about) full once the last file was reported done.
    auto lastFileDone = [](Run& run) {
        HWND progress = run.program->WaitForWindow(kDownloadTitle, 0);
        return ::SendMessageA(::GetDlgItem(progress, IDC_PROGRESS), PBM_GETPOS, 0, 0) >= 99;
    };
    auto readOnlyTemp = [readOnlyVolume](Run& run) {
        run.tempFolder = readOnlyVolume();
        return !run.tempFolder.empty();
    };
    auto longTemp = [](Run& run) {
        std::string folder = run.test.downloads.Path();
        while (folder.size() < 250) {
            folder += "\\" + std::string(std::min<size_t>(60, 249 - folder.size()), 'd');
        }
        run.tempFolder = folder;
        return folder.size() == 250 && scratch::MakeDirectories(folder);
    };
    // No galleries root either: the files go to the root, made when the user agrees.
    auto noGalleries = [](Run& run) {
        run.SetGalleries(run.galleries + "\\Gone");
        run.gallery = run.galleries;
        return true;
    };
    auto readOnlyGallery = [readOnlyVolume](Run& run) {
        const std::string volume = readOnlyVolume();
        run.SetGalleries(volume);
        return !volume.empty();
    };
    auto folderInTheWay = [](Run& run) {
        return ::CreateDirectoryA((run.gallery + "\\" + kCamera[1].saved).c_str(), nullptr) !=
               FALSE;
    };
    // The transfer stops there: nothing after the name in the way is written.
    auto nothingAfterIt = [](Run& run) -> std::string {
        return scratch::FileExists(run.gallery + "\\" + kCamera[2].saved)
                   ? "a file after the failed one was saved"
                   : "";
    };
    auto refusing = [startShell](Run& run) {
        return startShell(run) && run.shellTest.SetDword(kLMShellRefuseAddFileValue, 1);
    };
    // The transfer stops at the first refusal.
    auto oneRefusal = [](Run&) -> std::string {
        int refused = 0;
        for (const std::string& line : shelltest::Lines(shelltest::ShellWindow())) {
            refused += line.find("File refused") != std::string::npos ? 1 : 0;
        }
        return refused == 1 ? "" : std::to_string(refused) + " files refused, not 1";
    };
    auto vanishing = [startShell](Run& run) {
        return startShell(run) && run.shellTest.SetDword(kLMShellExitAtAddFileValue, 2);
    };
    const Answer create{kCreate, IDYES, kAppCaption};
    const char* const kFullAnyway =
        "100 % of camera memory full | 2 Snapshots Taken | 1 Video Taken";
    const Phase down = Phase::Download;
    const Phase save = Phase::Transfer;

    // clang-format off
    return {
        // name                                          phase arrange             during                       boxes            status        arrives extra
        {"download: a camera of three",                      down, nullptr,            nullptr,                     {},              kCounts,      true},
        {"download: no camera (Retry, Cancel)",              down, noCamera,           nullptr,                     {retry, cancel}, kMessageLine, false},
        {"download: camera opens, its size list does not",   down, nullptr,            refreshWithoutSizes,         {},              kCounts,      true},
        {"download: free-memory query fails",                down, knob("FreeMemoryFails", 1), nullptr,             {},              kFullAnyway,  true},
        {"download: failure at the first file",              down, knob("FailAtFile", 1), nullptr,                  {},              kMessageLine, false},
        {"download: failure at the middle file",             down, knob("FailAtFile", 2), nullptr,                  {},              kMessageLine, false},
        {"download: failure at the last file",               down, knob("FailAtFile", 3), nullptr,                  {},              kMessageLine, false},
        {"download: cancel before the worker",               down, nullptr,            cancelWhen([](Run&) { return true; }), {},    kMessageLine, false},
        {"download: cancel during a file",                   down, knob("FileDelayMs", 700), cancelWhen(inSecondFile), {},           kMessageLine, false},
        {"download: cancel after the last file",             down, knob("FinishDelayMs", 2000), cancelWhen(lastFileDone), {},        kCounts,      true},
        {"packaging: one library, missing",                  down, packaging({}),      nullptr,                     {retry, cancel}, kMessageLine, false},
        {"packaging: one library, an export missing",        down, packaging({"camlnk1.dll"}, "camlnk1.dll", "KCAMAPI_GetFreeMemory"),
                                                                                        nullptr,                     {cancel},        kMessageLine, false},
        {"packaging: two libraries",                         down, packaging({"camlnk2.dll", "camldr2.dll"}),
                                                                                        nullptr,                     {},              kCounts,      true},
        {"packaging: two libraries, the bulk one missing",   down, packaging({"camlnk2.dll"}),
                                                                                        nullptr,                     {cancel},        kMessageLine, false},
        {"packaging: two libraries, an export missing",      down, packaging({"camlnk2.dll", "camldr2.dll"}, "camlnk2.dll", "KCAMAPI_Download"),
                                                                                        nullptr,                     {cancel},        kMessageLine, false},
        {"packaging: two libraries, the size list fails",    down, [=](Run& run) { return packaging({"camlnk2.dll", "camldr2.dll"})(run) &&
                                                                                        run.test.driver.SetDword("BulkInitFails", 1); },
                                                                                        nullptr,                     {},              kCounts,      true},
        {"temporary folder: read-only",                      down, readOnlyTemp,       nullptr,                     {},              kMessageLine, false},
        {"temporary folder: 250 characters",                 down, longTemp,           nullptr,                     {},              kMessageLine, false},
        {"gallery: saved",                                   save, nullptr,            nullptr,                     {complete},      "",           true},
        {"gallery: missing, made when asked",                save, noGalleries,        nullptr,                     {create, complete}, "",        true},
        {"gallery: read-only",                               save, readOnlyGallery,    nullptr,                     {cannot},        "",           false},
        {"gallery: full",                                    save, fullGallery(4096),  nullptr,                     {cannot},        "",           false},
        {"gallery: fills up during the transfer",            save, fullGallery(3 * 4096), nullptr,                  {cannot},        "",           false},
        {"gallery: a name taken by a folder",                save, folderInTheWay,     nullptr,                     {cannot},        "",           false, nothingAfterIt},
        {"shell: refuses the files",                         save, refusing,           nullptr,                     {cannot},        "",           false, oneRefusal},
        {"shell: vanishes during the transfer",              save, vanishing,          nullptr,                     {cannot},        "",           false},
    };
    // clang-format on
}

TEST_F(FaultMatrixTest, EveryFaultIsToldTrulyAndLeavesNothingHalfDone) {
    const std::vector<Row> rows = Rows();
    std::vector<std::vector<Mark>> matrix;
    for (const Row& row : rows) {
        std::string notes;
        matrix.push_back(RunRow(row, &notes));
        const bool failed = std::count(matrix.back().begin(), matrix.back().end(), Mark::Fail) > 0;
        EXPECT_FALSE(failed) << row.name << notes;
        if (!notes.empty() && !failed) {
            std::printf("%s:%s\n", row.name, notes.c_str());
        }
    }

    std::printf("\n%-50s", "fault matrix");
    for (const char* check : kCheckNames) {
        std::printf(" %-10s", check);
    }
    std::printf("\n");
    for (size_t i = 0; i < rows.size(); ++i) {
        std::printf("%-50s", rows[i].name);
        for (Mark mark : matrix[i]) {
            std::printf(" %-10s", mark == Mark::Pass ? "ok" : mark == Mark::Fail ? "FAIL" : "skip");
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}
