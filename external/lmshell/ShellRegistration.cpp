#include "ShellRegistration.h"

#include <ole2.h>

#include "LMShell.h"

namespace lmshell {

namespace {

const char kDescription[] = "Lumora Shell Gallery Interface";

// "{A4D69880-...}"; the GUID's text is plain ASCII.
std::string ClassIdText() {
    wchar_t wide[64] = L"";
    int length = ::StringFromGUID2(CLSID_LMShellGalleryInterface, wide, 64);
    std::string text;
    for (int i = 0; i + 1 < length; ++i) {
        text += static_cast<char>(wide[i]);
    }
    return text;
}

std::string ClassKey() {
    return "Software\\Classes\\CLSID\\" + ClassIdText();
}

std::string ProgIdKey() {
    return std::string("Software\\Classes\\") + kLMShellProgId;
}

LONG SetString(HKEY root, const std::string& keyPath, const std::string& value) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
    return status;
}

LONG WriteKeys(HKEY root, const std::string& command) {
    const std::string classKey = ClassKey();
    const std::string progIdKey = ProgIdKey();
    const std::pair<std::string, std::string> values[] = {
        {progIdKey, kDescription},
        {progIdKey + "\\CLSID", ClassIdText()},
        {classKey, kDescription},
        {classKey + "\\LocalServer32", command},
        {classKey + "\\ProgID", kLMShellProgId},
    };
    for (const auto& value : values) {
        LONG status = SetString(root, value.first, value.second);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

// ERROR_SUCCESS when both keys are gone, or were never there.
LONG DeleteKeys(HKEY root) {
    LONG result = ERROR_SUCCESS;
    for (const std::string& key : {ClassKey(), ProgIdKey()}) {
        // Given a subkey, RegDeleteTree removes it with everything under it.
        LONG status = ::RegDeleteTreeA(root, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            result = status;
        }
    }
    return result;
}

} // namespace

LONG RegisterShellServer(const std::string& exePath) {
    if (exePath.empty() || ClassIdText().empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    // COM runs the value as a command line (with -Embedding added): a path with a space must
    // be quoted to be read as one.
    const std::string command =
        exePath.find(' ') == std::string::npos ? exePath : "\"" + exePath + "\"";
    LONG status = WriteKeys(HKEY_LOCAL_MACHINE, command);
    if (status == ERROR_SUCCESS) {
        return status;
    }
    return WriteKeys(HKEY_CURRENT_USER, command);
}

LONG UnregisterShellServer() {
    LONG machine = DeleteKeys(HKEY_LOCAL_MACHINE);
    LONG user = DeleteKeys(HKEY_CURRENT_USER);
    if (machine != ERROR_SUCCESS && machine != ERROR_ACCESS_DENIED) {
        return machine;
    }
    return user;
}

} // namespace lmshell
