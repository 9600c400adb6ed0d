// Every input the fuzzers kept under tests/data/fuzz/<target>/ (each once crashed a reader or
// made it answer wrongly) through the same readers and checks, compiled for the target.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external/slidetray/ThumbnailMaker.h"
#include "tests/fuzz/FuzzTargets.h"
#include "tests/support/ScratchFiles.h"

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(data.cFileName);
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

const std::string kRoot = std::string(FOTOLOFT_SOURCE_DIR) + "\\tests\\data\\fuzz";

TEST(FuzzReplayTest, SavedInputsAreReadWithoutWrongAnswers) {
    const std::string& root = kRoot;
    ASSERT_TRUE(scratch::DirectoryExists(root)) << root;
    size_t replayed = 0;
    for (size_t i = 0; i < fuzz_target::kTargetCount; ++i) {
        const fuzz_target::Target& target = fuzz_target::kTargets[i];
        std::string folder = root + "\\" + target.name;
        for (const std::string& name : FilesIn(folder)) {
            std::string bytes = scratch::ReadBytes(folder + "\\" + name);
            const char* wrong =
                target.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            EXPECT_EQ(wrong, nullptr) << target.name << "/" << name << ": " << wrong;
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no saved inputs under " << root;
}

// The clips that took the tray down (in AVIFile or past a frame's end) give placeholders.
TEST(FuzzReplayTest, SavedClipsGivePlaceholders) {
    const std::string folder = kRoot + "\\avi_structure";
    std::vector<std::string> names = FilesIn(folder);
    EXPECT_FALSE(names.empty()) << folder;
    for (const std::string& name : names) {
        ThumbnailImage image;
        ThumbnailSource source = ThumbnailSource::VideoFrame;
        EXPECT_FALSE(MakeThumbnail((folder + "\\" + name).c_str(), 96, 72, &image, &source))
            << name;
        EXPECT_EQ(source, ThumbnailSource::Placeholder) << name;
    }
}

} // namespace
