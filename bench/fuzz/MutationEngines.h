// The real parts a mutated file goes through, as the program meets them: the tray's thumbnail
// engine (MakeThumbnail, as SlideTray.dll builds it), the imaging library through the program's
// CImportDib, and the camera driver (camlnk1.dll) through its exports, which open the camera,
// count and size its items and download them. Each says what it answered wrongly.
#pragma once

#include <string>
#include <vector>

#include "bench/fuzz/MutationInputs.h"
#include "tests/external/kestrel/KestrelTestSupport.h"

struct EngineOutcome {
    bool placeholder = false;       // the tray drew its broken-picture glyph
    std::vector<std::string> wrong; // answers that break an engine's contract
};

class CMutationEngines {
public:
    // `work` holds the camera folder, the download folder and the temporary folder that the
    // parent pointed the driver's and the program's settings at. False (and why) when the
    // driver or the imaging library cannot be loaded.
    bool Open(const std::string& work, std::string* error);
    EngineOutcome Run(const MutatedInput& input);

    static std::string CameraFolder(const std::string& work);
    static std::string TemporaryFolder(const std::string& work);

private:
    void Thumbnail(const std::string& path, EngineOutcome* outcome);
    void ImportDib(const std::string& path, EngineOutcome* outcome);
    void Driver(const std::string& name, const std::string& bytes, EngineOutcome* outcome);

    std::string m_work;
    const kestrel_test::Driver* m_driver = nullptr;
};
