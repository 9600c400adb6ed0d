#include "bench/fuzz/MutationEngines.h"

#include <windows.h>

#include "external/slidetray/ThumbnailMaker.h"
#include "media/ImagingBinding.h"
#include "media/ImportDib.h"
#include "tests/support/ScratchFiles.h"

namespace {

const int kBoxWidth = 96;
const int kBoxHeight = 72;

// Removes every file directly in `folder`; how many there were.
int EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int files = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ::DeleteFileA((folder + "\\" + data.cFileName).c_str());
            ++files;
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return files;
}

} // namespace

std::string CMutationEngines::CameraFolder(const std::string& work) {
    return work + "\\camera\\DCIM\\100KSTRL";
}

std::string CMutationEngines::TemporaryFolder(const std::string& work) {
    return work + "\\temp";
}

bool CMutationEngines::Open(const std::string& work, std::string* error) {
    m_work = work;
    m_driver = kestrel_test::LoadDriver(error);
    if (m_driver == nullptr) {
        return false;
    }
    if (CImagingBinding::Get() == nullptr) {
        *error = "the imaging library (LTFIL80N.dll, LTKRN80N.dll) does not load";
        return false;
    }
    return scratch::MakeDirectories(CameraFolder(work)) &&
           scratch::MakeDirectories(TemporaryFolder(work)) &&
           scratch::MakeDirectories(work + "\\download");
}

EngineOutcome CMutationEngines::Run(const MutatedInput& input) {
    EngineOutcome outcome;
    const SeedFile& seed = *input.seed;
    std::string path = m_work + "\\input-" + seed.name;
    if (!scratch::WriteBytes(path, input.bytes)) {
        outcome.wrong.push_back("cannot write the input file");
        return outcome;
    }
    Thumbnail(path, &outcome);
    if (seed.kind != InputKind::Avi) {
        ImportDib(path, &outcome);
    }
    if (seed.kind != InputKind::Bmp) {
        Driver(seed.kind == InputKind::Avi ? "MOV_0001.AVI" : "IMG_0001.JPG", input.bytes,
               &outcome);
    }
    ::DeleteFileA(path.c_str());
    return outcome;
}

void CMutationEngines::Thumbnail(const std::string& path, EngineOutcome* outcome) {
    ThumbnailImage image;
    ThumbnailSource source = ThumbnailSource::Placeholder;
    bool made = MakeThumbnail(path.c_str(), kBoxWidth, kBoxHeight, &image, &source);
    outcome->placeholder = source == ThumbnailSource::Placeholder;
    if (image.pixels.size() != size_t(image.width) * size_t(image.height)) {
        outcome->wrong.push_back("thumbnail: pixel count differs from its size");
    }
    if (made == outcome->placeholder) {
        outcome->wrong.push_back("thumbnail: result and source disagree");
    }
    if (made && (image.width < 1 || image.height < 1 || image.width > kBoxWidth ||
                 image.height > kBoxHeight)) {
        outcome->wrong.push_back("thumbnail: " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + " does not fit the box");
    }
    if (!made && (image.width != kBoxWidth || image.height != kBoxHeight)) {
        outcome->wrong.push_back("thumbnail: placeholder not of the box's size");
    }
}

void CMutationEngines::ImportDib(const std::string& path, EngineOutcome* outcome) {
    CImportDib dib;
    BOOL loaded = dib.LoadFromFile(path.c_str());
    if (loaded && (dib.IsEmpty() || dib.GetWidth() <= 0 || dib.GetHeight() == 0)) {
        outcome->wrong.push_back("import: loaded an empty picture");
    }
    if (!loaded && !dib.IsEmpty()) {
        outcome->wrong.push_back("import: failed but holds a picture");
    }
    if (EmptyFolder(TemporaryFolder(m_work)) != 0) {
        outcome->wrong.push_back("import: temporary bitmap left behind");
    }
}

void CMutationEngines::Driver(const std::string& name, const std::string& bytes,
                              EngineOutcome* outcome) {
    const kestrel_test::Driver& driver = *m_driver;
    std::string item = CameraFolder(m_work) + "\\" + name;
    std::string download = m_work + "\\download";
    if (!scratch::WriteBytes(item, bytes)) {
        outcome->wrong.push_back("driver: cannot write the camera's file");
        return;
    }
    DWORD bulk = driver.bulkInit(0);
    if (bulk == 0 || driver.bulkGetImgCount(bulk) != 1 ||
        driver.bulkGetNthSize(bulk, 0) != bytes.size()) {
        outcome->wrong.push_back("driver: bulk sizes do not list the file");
    }
    if (bulk != 0) {
        driver.bulkReset(bulk);
    }
    kestrel_test::DownloadRecorder recorder;
    recorder.outputFolder = download;
    DWORD camera = driver.init(kestrel_test::DownloadRecorder::OnFileName,
                               kestrel_test::DownloadRecorder::OnFileDone, &recorder,
                               ::GetModuleHandleA(nullptr), nullptr);
    std::string error;
    kestrel_test::Counts counts;
    if (camera == 0 || !kestrel_test::ReadCounts(driver, camera, counts, &error)) {
        outcome->wrong.push_back("driver: camera does not open or count: " + error);
    } else {
        DWORD total = counts.video + counts.lq + counts.hq + counts.xga + counts.burst;
        bool clip = name.find(".AVI") != std::string::npos;
        if (total != 1 || (counts.video == 1) != clip) {
            outcome->wrong.push_back("driver: the file is not counted once as its kind");
        }
        if (driver.download(camera) != kestrel_test::kOk || recorder.paths.size() != 1 ||
            scratch::ReadBytes(recorder.paths[0]) != bytes) {
            outcome->wrong.push_back("driver: the download is not the file");
        }
    }
    if (camera != 0) {
        driver.reset(camera);
    }
    EmptyFolder(download);
    ::DeleteFileA(item.c_str());
}
