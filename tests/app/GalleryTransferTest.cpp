// Saving into a gallery when it cannot all go through: a disk too small for the files, and a
// name that would leave the gallery folder. Nothing is copied then and nothing there changes.
#include <gtest/gtest.h>

#include "main_window/GalleryTransfer.h"
#include "storage/SafeFileCopy.h"
#include "tests/support/ScratchFiles.h"

namespace {

BOOL TinyDisk(const char*, ULARGE_INTEGER* freeBytes) {
    freeBytes->QuadPart = 10;
    return TRUE;
}

class GalleryTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch::WriteBytes(camera / "Snapshot0000.jpg", std::string(3000, 'a')));
        ASSERT_TRUE(scratch::WriteBytes(camera / "Snapshot0001.avi", std::string(5000, 'b')));
        ASSERT_TRUE(scratch::WriteBytes(gallery / "PARTY_0001.jpg", "the older picture"));
    }
    void TearDown() override { CSafeFileCopy::SetFreeSpaceQuery(nullptr); }

    std::vector<CSavedFile> Files(const char* prefix) const {
        const CString start = prefix;
        return {{(camera / "Snapshot0000.jpg").c_str(), start + "_0001.jpg"},
                {(camera / "Snapshot0001.avi").c_str(), start + "_0002.avi"}};
    }

    scratch::Directory camera{"transfer-camera"};
    scratch::Directory gallery{"transfer-gallery"};
};

TEST_F(GalleryTransferTest, ADiskTooSmallGetsNothingAndKeepsWhatIsThere) {
    CSafeFileCopy::SetFreeSpaceQuery(TinyDisk);
    CGalleryTransfer transfer((gallery.Path() + "\\").c_str());
    EXPECT_FALSE(transfer.Save(Files("PARTY")));
    EXPECT_EQ("PARTY_0001.jpg", scratch::ListFiles(gallery.Path()));
    EXPECT_EQ("the older picture", scratch::ReadBytes(gallery / "PARTY_0001.jpg"));

    CSafeFileCopy::SetFreeSpaceQuery(nullptr);
    EXPECT_TRUE(transfer.Save(Files("PARTY")));
    EXPECT_EQ("PARTY_0001.jpg PARTY_0002.avi", scratch::ListFiles(gallery.Path()))
        << "no temporary file may be left";
    EXPECT_EQ(std::string(3000, 'a'), scratch::ReadBytes(gallery / "PARTY_0001.jpg"));
}

TEST_F(GalleryTransferTest, ANameThatLeavesTheGalleryIsRefusedBeforeAnyCopy) {
    CGalleryTransfer transfer((gallery.Path() + "\\").c_str());
    for (const char* prefix : {"..\\PARTY", "A/B", "C:PARTY", "WHAT?"}) {
        EXPECT_FALSE(transfer.Save(Files(prefix))) << prefix;
    }
    EXPECT_EQ("PARTY_0001.jpg", scratch::ListFiles(gallery.Path()));
    EXPECT_FALSE(scratch::FileExists(gallery / "..\\PARTY_0001.jpg"))
        << "nothing may land beside the gallery";
}

}  // namespace
