// The clip structure check the tray makes before AVIFile opens a clip.
#include <gtest/gtest.h>

#include <string>

#include "ThumbnailTestFiles.h"
#include "external/slidetray/AviStructure.h"
#include "tests/support/ScratchFiles.h"

using namespace thumbnail_test;

namespace {

bool Check(const std::string& bytes) {
    return CheckAviStructure(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Clips as the tray meets them pass, cut short inside their movie data too; a clip whose
// chunks name a stream it lacks, or whose lists run past their parent, does not.
TEST(AviStructureTest, TellsSoundClipsFromBrokenOnes) {
    scratch::Directory folder("avi");
    ASSERT_TRUE(folder.IsReady());
    for (ClipCodec codec : {ClipCodec::Uncompressed, ClipCodec::MsVideo1}) {
        std::string path = folder / "clip.avi";
        ASSERT_TRUE(WriteClip(path, Solid(64, 48, kGreen), 3, codec));
        std::string clip = scratch::ReadBytes(path);
        size_t movie = clip.find("movi");
        size_t index = clip.find("idx1");
        size_t header = clip.find("hdrl");
        ASSERT_NE(movie, std::string::npos);
        ASSERT_NE(index, std::string::npos);
        EXPECT_TRUE(Check(clip));
        EXPECT_TRUE(Check(clip.substr(0, movie + 100))) << "cut inside the movie data";

        std::string unknownStream = clip;
        unknownStream[movie + 4] = '1'; // "00db" -> "10db"
        std::string indexedUnknown = clip;
        indexedUnknown[index + 8 + 1] = '7';
        std::string shifted = clip;
        shifted.insert(movie + 100, 236, '\0');
        std::string longHeader = clip;
        longHeader[header - 2] = '\x7F'; // the header list's length past the form
        std::string noStreamList = clip;
        noStreamList.replace(clip.find("strl"), 4, "strx");
        std::string framesAfterMovie = clip; // the movie list ends before the frames do
        framesAfterMovie.insert(index, clip.substr(movie + 12, 64));
        std::string negativeLength = clip; // the first frame's length, read as signed
        negativeLength.replace(movie + 8, 4, std::string("\xFF\xFF\xFF\xFF", 4));
        const std::pair<const char*, std::string> broken[] = {
            {"cut before the movie data", clip.substr(0, movie - 8)},
            {"movie chunk of a stream not there", unknownStream},
            {"index entry of a stream not there", indexedUnknown},
            {"bytes inserted into the movie data", shifted},
            {"header list longer than the form", longHeader},
            {"a counted stream without its list", noStreamList},
            {"frame bytes where a chunk should start", framesAfterMovie},
            {"a length past 2 GB", negativeLength.substr(0, movie + 100)},
            {"no RIFF form", "RIFX" + clip.substr(4)},
        };
        for (const auto& test : broken) {
            EXPECT_FALSE(Check(test.second)) << test.first;
        }
    }
}

} // namespace
