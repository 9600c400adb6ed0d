#include "storage/Settings.h"

#include "external/vantix2/Vantix2.h"

namespace {

const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties\\";
const char kTempDirectoryName[] = "TempDirectory";
const char kFotoloftKey[] = "SOFTWARE\\Orvex\\Lumora2\\Fotoloft\\";
const char kDefaultGalleryName[] = "DefaultGallery";
const char kGalleriesPathValue[] = "Software\\Orvex\\LumoraInstalled\\Lumora2\\GalleriesPath";
const char kRootOfC[] = "C:\\";

} // namespace

// Called once by the camera connection when it is built.
CString GetTempDirectorySetting() {
    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    CString path;
    path.Format("%s%s", kPropertiesKey, kTempDirectoryName);
    CString directory = registry.GetRegString(path, kRootOfC);
    int length = directory.GetLength();
    if (length > 0 && directory[length - 1] == '\\') {
        directory.Delete(length - 1);
    }
    if (registry.KeyExists(path, nullptr) == 0) {
        // A failed write changes nothing for this run: the value is returned all the same.
        registry.SetRegString(path, directory.IsEmpty() ? CString(kRootOfC) : directory);
    }
    return directory;
}

// Read each time the save-to-gallery dialog has filled its gallery list.
CString GetDefaultGallery() {
    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    CString path;
    path.Format("%s%s", kFotoloftKey, kDefaultGalleryName);
    CString gallery = registry.GetRegString(path, kRootOfC);
    gallery.Trim();
    return gallery;
}

// Read each time a gallery folder is about to be used or created.
CString GetGalleriesPath() {
    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    return registry.GetRegString(kGalleriesPathValue, "");
}
