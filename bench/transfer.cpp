// How fast Get All saves a camera's files into a gallery, against a plain copy.
//
// Makes a 600 MB camera download (150 stills of 3.6 MB, as 12-megapixel JPEGs weigh, and 6
// clips of 10 MB) under the temp path, then, three rounds each, alternating:
//   copy      CopyFileA of every file into an empty folder: the yardstick;
//   transfer  the program's own save (CGalleryTransfer, as Get All runs it: the free-space
//             check, a new temporary file beside each target, moved over it once complete)
//             into an empty gallery folder.
// It prints each round and the best of each, in MB/s (10^6 bytes), and their ratio. The
// figures depend on the machine; nothing here passes or fails. About 2 GB of free disk;
// everything made is removed at the end. Run it from the checkout:
//   scripts/wine-env wine build/bin/bench_transfer.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "main_window/GalleryTransfer.h"
#include "tests/support/ScratchFiles.h"

namespace {

constexpr int kStills = 150;
constexpr DWORD kStillBytes = 3600 * 1000;
constexpr int kClips = 6;
constexpr DWORD kClipBytes = 10 * 1000 * 1000;
constexpr int kRounds = 4;
// A pause before each measurement, for the disk to write back what the last one left.
constexpr DWORD kSettleMs = 3000;

// A fresh folder for one measurement.
std::string MakeFolder(const std::string& path) {
    scratch::MakeDirectories(path);
    return path;
}

// Pseudo-random bytes, so that nothing along the way can make light of them.
bool WriteFile(const std::string& path, DWORD bytes, unsigned seed) {
    std::vector<unsigned> block(1 << 18);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    for (DWORD done = 0; ok && done < bytes;) {
        for (unsigned& word : block) {
            seed = seed * 1664525u + 1013904223u;
            word = seed;
        }
        const DWORD chunk = std::min<DWORD>(bytes - done, static_cast<DWORD>(block.size() * 4));
        DWORD written = 0;
        ok = ::WriteFile(file, block.data(), chunk, &written, nullptr) && written == chunk;
        done += chunk;
    }
    ::CloseHandle(file);
    return ok;
}

}  // namespace

int main() {
    scratch::Directory folder("fotoloft-bench-transfer");
    if (!folder.IsReady()) {
        std::printf("could not make a folder under the temp path\n");
        return 1;
    }
    const std::string& root = folder.Path();
    const std::string camera = MakeFolder(root + "\\camera");

    std::vector<CSavedFile> files;
    double megabytes = 0;
    for (int i = 0; i < kStills + kClips; ++i) {
        const bool clip = i % 26 == 25;  // a clip now and then, as on a camera
        char name[32];
        std::snprintf(name, sizeof name, "Snapshot%04d.%s", i, clip ? "avi" : "jpg");
        const std::string source = camera + "\\" + name;
        const DWORD bytes = clip ? kClipBytes : kStillBytes;
        if (!WriteFile(source, bytes, static_cast<unsigned>(i))) {
            std::printf("could not make %s\n", source.c_str());
            return 1;
        }
        char saved[32];
        std::snprintf(saved, sizeof saved, "PARTY_%04d.%s", i + 1, clip ? "avi" : "jpg");
        files.push_back({source.c_str(), saved});
        megabytes += bytes / 1e6;
    }
    std::printf("camera: %zu files, %.0f MB\n", files.size(), megabytes);

    // Each round runs both, in turn first: what one leaves for the disk to write back must
    // not count against the same one every time.
    double bestCopy = 0, bestTransfer = 0;
    for (int round = 1; round <= kRounds; ++round) {
        double copyRate = 0, transferRate = 0;
        BOOL saved = TRUE;
        for (int step = 0; step < 2; ++step) {
            ::Sleep(kSettleMs);
            if ((step == 0) == (round % 2 == 1)) {
                const std::string plain = MakeFolder(root + "\\plain");
                const double start = NowMs();
                for (const CSavedFile& file : files) {
                    ::CopyFileA(file.source,
                                (plain + "\\" + static_cast<const char*>(file.name)).c_str(), FALSE);
                }
                copyRate = megabytes / ((NowMs() - start) / 1000.0);
                scratch::RemoveTree(plain);
            } else {
                const std::string gallery = MakeFolder(root + "\\gallery");
                CGalleryTransfer transfer((gallery + "\\").c_str());
                const double start = NowMs();
                saved = transfer.Save(files);
                transferRate = megabytes / ((NowMs() - start) / 1000.0);
                scratch::RemoveTree(gallery);
            }
        }
        if (!saved) {
            std::printf("round %d: the transfer failed\n", round);
            break;
        }
        std::printf("round %d: copy %.0f MB/s, transfer %.0f MB/s\n", round, copyRate, transferRate);
        bestCopy = std::max(bestCopy, copyRate);
        bestTransfer = std::max(bestTransfer, transferRate);
    }
    std::printf("best: copy %.0f MB/s, transfer %.0f MB/s, transfer/copy %.2f\n", bestCopy,
                bestTransfer, bestCopy > 0 ? bestTransfer / bestCopy : 0.0);
    return 0;
}
