// Copying the camera's items to the paths the program names, and reading ahead: the next
// items are copied on a thread of the driver's own while the program handles the callbacks
// of the current one.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <string>

namespace kestrel {

// Closes a kernel handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close() {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return true;
        }
        BOOL closed = CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE m_handle;
};

// The full form of the path the program named (`full`) and its folder, with the trailing
// backslash; false for a path that names no file.
bool SplitTarget(const char* target, char (&full)[MAX_PATH], std::string& folder);

// Copies `source` to the full path `full` in `folder` (from SplitTarget). The bytes go to a
// temporary file in that folder first and are renamed into place, so that the path never
// holds half a file. With breakHalfway the copy stops after half the bytes and fails, as a
// transfer cut off in the middle would.
bool CopyItem(const std::string& source, const char* full, const std::string& folder,
              bool breakHalfway);

// Copies items ahead, in the order they are queued, each into a temporary file of the folder
// it is queued for. Nothing reaches a name the program gave before the program gave it, and a
// copy nobody takes (the download stops, or a name points elsewhere) is deleted.
class ReadAhead {
public:
    // How many items may be copied ahead of the one being named.
    static constexpr size_t kDepth = 3;

    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Queues `source` to be copied into `folder`; false when the queue is full (or no thread
    // could be started), and nothing was queued.
    bool Queue(const std::string& source, const std::string& folder);
    // How many items are queued and not yet taken.
    size_t Pending() const;
    // Moves the copy of `source` into place as `full` in `folder` when it is the next in the
    // queue, was made for that folder and is complete; false otherwise, with every queued
    // copy deleted (the caller copies the item itself).
    bool Take(const std::string& source, const char* full, const std::string& folder);
    // Stops the copy under way and deletes every queued copy.
    void Discard();

private:
    struct Job {
        std::string source;
        std::string folder;
        HANDLE file = INVALID_HANDLE_VALUE;
        char path[MAX_PATH] = {};
        bool complete = false;
        bool done = false;
    };

    static DWORD WINAPI ThreadProc(void* parameter);
    void Run();
    bool StartThread();
    // With m_lock held: waits for the job under way, then deletes every copy.
    void DiscardLocked();

    mutable CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_changed;
    HANDLE m_thread = nullptr;
    bool m_quit = false;
    // Jobs in queue order; the first m_started have been begun by the thread.
    std::deque<Job> m_jobs;
    size_t m_started = 0;
    // Asks the copy under way to stop early.
    std::atomic<bool> m_stop{false};
};

} // namespace kestrel
