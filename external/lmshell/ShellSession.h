// What the shell has been told and the rules it answers by, apart from COM and the window:
// the current gallery, which files it takes, and one line for every request.
#pragma once

#include <string>

namespace lmshell {

// Where the session reports to: the shell's window.
class CShellJournal {
public:
    virtual void AddLine(const std::string& line) = 0;
    virtual void ShowCurrentGallery(const std::string& gallery) = 0;

protected:
    ~CShellJournal() = default;
};

class CShellSession {
public:
    explicit CShellSession(CShellJournal* journal) : m_journal(journal) {}
    CShellSession(const CShellSession&) = delete;
    CShellSession& operator=(const CShellSession&) = delete;

    // The gallery last opened, "" before the first.
    const std::string& CurrentGallery() const { return m_currentGallery; }
    // False (and nothing changes) for an empty name.
    bool OpenGallery(const std::string& gallery);
    // True when the file was taken: it exists and the test setting does not refuse it. The
    // ExitAtAddFile test setting ends the program inside the call instead.
    bool AddFile(const std::string& gallery, const std::string& path);
    // A line of the shell's own (start-up, serving or not).
    void Note(const std::string& text);

private:
    CShellJournal* m_journal;
    std::string m_currentGallery;
    unsigned long m_addFileCalls = 0;
};

// Whether HKCU\<kLMShellTestKey> : RefuseAddFile holds a nonzero DWORD; read at every call so
// that a test can switch it while the shell runs.
bool RefuseAddFileSetting();

} // namespace lmshell
