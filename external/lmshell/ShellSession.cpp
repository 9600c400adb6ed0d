#include "ShellSession.h"

#include <windows.h>

#include "LMShell.h"

namespace lmshell {

namespace {

// A file, not a folder, that is there now.
bool IsExistingFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Shown(const std::string& text) {
    return text.empty() ? "(no name)" : "\"" + text + "\"";
}

// A test setting's DWORD; a missing key or value, or one of another type, reads as 0 (off).
DWORD TestSetting(const char* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueA(HKEY_CURRENT_USER, kLMShellTestKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

} // namespace

bool RefuseAddFileSetting() {
    return TestSetting(kLMShellRefuseAddFileValue) != 0;
}

bool CShellSession::OpenGallery(const std::string& gallery) {
    if (gallery.empty()) {
        m_journal->AddLine("Gallery not opened: no name was given");
        return false;
    }
    m_currentGallery = gallery;
    m_journal->AddLine("Gallery opened: " + Shown(gallery));
    m_journal->ShowCurrentGallery(gallery);
    return true;
}

bool CShellSession::AddFile(const std::string& gallery, const std::string& path) {
    const std::string what =
        "gallery " + Shown(gallery) + ": " + (path.empty() ? "(no path)" : path);
    ++m_addFileCalls;
    if (m_addFileCalls == TestSetting(kLMShellExitAtAddFileValue)) {
        ::ExitProcess(3); // the caller is left waiting for an answer that never comes
    }
    if (RefuseAddFileSetting()) {
        m_journal->AddLine("File refused for " + what + " (RefuseAddFile test setting is on)");
        return false;
    }
    if (!IsExistingFile(path)) {
        m_journal->AddLine("File refused for " + what + " (no such file)");
        return false;
    }
    m_journal->AddLine("File added to " + what);
    return true;
}

void CShellSession::Note(const std::string& text) {
    m_journal->AddLine(text);
}

} // namespace lmshell
