#include "ItemCopy.h"

#include "external/filesupport/NewTemporaryFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace kestrel {

namespace {

// Under Wine, reads and writes of 64 KiB copy about three times as fast as of 1 MiB.
const DWORD kCopyChunkBytes = 64 * 1024;

// Copies the source into an open temporary file; with breakHalfway it stops after half the
// bytes and reports failure. A set `stop` ends it early, as a failure. (A view of the source
// handed to WriteFile would copy once instead of twice, but under Wine mapping each file
// costs several times what the copy saves.)
bool WriteCopy(HANDLE source, HANDLE target, bool breakHalfway, const std::atomic<bool>* stop) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source, &size)) {
        return false;
    }
    ULONGLONG limit = breakHalfway ? static_cast<ULONGLONG>(size.QuadPart) / 2 : ~0ULL;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kCopyChunkBytes]);
    if (!buffer) {
        return false;
    }
    ULONGLONG copied = 0;
    for (;;) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            return false;
        }
        DWORD want = static_cast<DWORD>(std::min<ULONGLONG>(kCopyChunkBytes, limit - copied));
        if (want == 0) {
            break;
        }
        DWORD read = 0;
        if (!ReadFile(source, buffer.get(), want, &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(target, buffer.get(), read, &written, nullptr) || written != read) {
            return false;
        }
        copied += read;
    }
    return !breakHalfway;
}

// Copies `source` into a new temporary file of `folder`, left open in `file` (invalid when
// none could be made); true when every byte was copied.
bool CopyToTemporary(const std::string& source, const std::string& folder, bool breakHalfway,
                     const std::atomic<bool>* stop, HANDLE& file, char (&path)[MAX_PATH]) {
    file = INVALID_HANDLE_VALUE;
    FileHandle input(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!input.IsValid()) {
        return false;
    }
    // A new file under a name of its own: under Wine a file truncated after its creation (as
    // GetTempFileName's empty file opened again would be) is written back to disk when it
    // closes, where a new one stays in the page cache like a plain copy's.
    file = filesupport::CreateNewTemporary(folder, "kcd", path);
    return file != INVALID_HANDLE_VALUE && WriteCopy(input.Get(), file, breakHalfway, stop);
}

// Renames a temporary copy into place as `full` when `complete`; otherwise deletes it.
bool FinishCopy(HANDLE file, const char* path, const char* full, bool complete) {
    return file != INVALID_HANDLE_VALUE &&
           filesupport::FinishTemporary(file, path, complete ? full : path, complete);
}

} // namespace

bool SplitTarget(const char* target, char (&full)[MAX_PATH], std::string& folder) {
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA(target, MAX_PATH, full, &filePart);
    if (length == 0 || length >= MAX_PATH || filePart == nullptr || *filePart == '\0') {
        return false;
    }
    folder.assign(full, static_cast<size_t>(filePart - full));
    return true;
}

bool CopyItem(const std::string& source, const char* full, const std::string& folder,
              bool breakHalfway) {
    HANDLE file;
    char path[MAX_PATH];
    const bool complete = CopyToTemporary(source, folder, breakHalfway, nullptr, file, path);
    return FinishCopy(file, path, full, complete);
}

ReadAhead::ReadAhead() {
    InitializeCriticalSection(&m_lock);
    InitializeConditionVariable(&m_changed);
}

ReadAhead::~ReadAhead() {
    EnterCriticalSection(&m_lock);
    DiscardLocked();
    m_quit = true;
    WakeAllConditionVariable(&m_changed);
    LeaveCriticalSection(&m_lock);
    if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    DeleteCriticalSection(&m_lock);
}

bool ReadAhead::StartThread() {
    if (m_thread == nullptr) {
        m_thread = CreateThread(nullptr, 0, &ReadAhead::ThreadProc, this, 0, nullptr);
    }
    return m_thread != nullptr;
}

bool ReadAhead::Queue(const std::string& source, const std::string& folder) {
    if (!StartThread()) {
        return false;
    }
    EnterCriticalSection(&m_lock);
    const bool room = m_jobs.size() < kDepth;
    if (room) {
        m_jobs.emplace_back();
        m_jobs.back().source = source;
        m_jobs.back().folder = folder;
        WakeAllConditionVariable(&m_changed);
    }
    LeaveCriticalSection(&m_lock);
    return room;
}

size_t ReadAhead::Pending() const {
    EnterCriticalSection(&m_lock);
    const size_t pending = m_jobs.size();
    LeaveCriticalSection(&m_lock);
    return pending;
}

bool ReadAhead::Take(const std::string& source, const char* full, const std::string& folder) {
    EnterCriticalSection(&m_lock);
    if (m_jobs.empty()) {
        LeaveCriticalSection(&m_lock);
        return false;
    }
    if (m_jobs.front().source != source || m_jobs.front().folder != folder) {
        DiscardLocked();
        LeaveCriticalSection(&m_lock);
        return false;
    }
    while (!m_jobs.front().done) {
        SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
    }
    const Job job = m_jobs.front();
    m_jobs.pop_front();
    --m_started;
    LeaveCriticalSection(&m_lock);
    return FinishCopy(job.file, job.path, full, job.complete);
}

void ReadAhead::Discard() {
    EnterCriticalSection(&m_lock);
    DiscardLocked();
    LeaveCriticalSection(&m_lock);
}

void ReadAhead::DiscardLocked() {
    m_stop = true;
    m_jobs.resize(m_started);
    for (;;) {
        auto busy = std::find_if(m_jobs.begin(), m_jobs.end(), [](const Job& job) { return !job.done; });
        if (busy == m_jobs.end()) {
            break;
        }
        SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
    }
    for (const Job& job : m_jobs) {
        FinishCopy(job.file, job.path, nullptr, false);
    }
    m_jobs.clear();
    m_started = 0;
    m_stop = false;
}

DWORD WINAPI ReadAhead::ThreadProc(void* parameter) {
    static_cast<ReadAhead*>(parameter)->Run();
    return 0;
}

void ReadAhead::Run() {
    EnterCriticalSection(&m_lock);
    for (;;) {
        while (!m_quit && m_started == m_jobs.size()) {
            SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
        }
        if (m_quit) {
            break;
        }
        // The job stays where it is until it is done: only done jobs leave the queue.
        Job& job = m_jobs[m_started++];
        const std::string source = job.source;
        const std::string folder = job.folder;
        LeaveCriticalSection(&m_lock);
        HANDLE file;
        char path[MAX_PATH];
        const bool complete = CopyToTemporary(source, folder, false, &m_stop, file, path);
        EnterCriticalSection(&m_lock);
        job.file = file;
        std::memcpy(job.path, path, sizeof(path));
        job.complete = complete;
        job.done = true;
        WakeAllConditionVariable(&m_changed);
    }
    LeaveCriticalSection(&m_lock);
}

} // namespace kestrel
