// The tray's items, their selection and their thumbnails, shared by the UI thread, callers of
// AddItem on other threads and the thumbnail workers. Every member takes the one lock; the
// window hears of changes only by posted messages, so no caller ever waits on the UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Posted to the tray window (its class's private range).
constexpr UINT kTrayItemsChanged = WM_USER + 1;    // items were added or cleared
constexpr UINT kTrayThumbnailsReady = WM_USER + 2; // TakeFinished() has cells to repaint
constexpr UINT kTraySettingsChanged = WM_USER + 3; // a drawing setting changed on another thread

// A finished thumbnail as the tray keeps it, compressed (CompactThumbnail.h): 5,000 of them
// take tens of megabytes instead of hundreds. The window expands the ones it draws.
struct TrayThumbnail {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> jpeg;
};

// What the window needs to draw one cell.
struct TrayCell {
    std::string label;
    std::shared_ptr<const TrayThumbnail> thumbnail; // null while it is being made
    bool selected = false;
};

// One thumbnail for a worker to make.
struct TrayJob {
    unsigned generation = 0;
    size_t index = 0;
    std::string path;
};

class CTrayModel {
public:
    CTrayModel() = default;
    CTrayModel(const CTrayModel&) = delete;
    CTrayModel& operator=(const CTrayModel&) = delete;

    // Appends an item; its thumbnail is queued. Any thread.
    void Add(const std::string& path, const std::string& label);
    // Drops every item; thumbnails of the old items that arrive later are thrown away.
    void Clear();
    size_t Count() const;
    bool Path(size_t index, std::string* path) const;
    bool Label(size_t index, std::string* label) const;
    // The count and the clear generation together, and the window may be told again.
    void TakeState(unsigned* generation, size_t* count);

    bool IsSelected(size_t index) const;
    void Select(size_t index, bool selected);
    // Selects the items between from and to (both included, either order); with `exclusive`
    // every other item is deselected.
    void SelectRange(size_t from, size_t to, bool exclusive);
    void SelectAll(bool selected);
    // Full paths of the selected items, in tray order.
    std::vector<std::string> SelectedPaths() const;
    // Cells [first, last) of the items as they are now, clipped to the count.
    std::vector<TrayCell> Cells(size_t first, size_t last) const;

    // The window that hears of changes by kTray* messages; null while there is none.
    void SetWindow(HWND window);
    // Posts `message` (one of kTray*) to the window unless one is still on its way.
    void Notify(UINT message);
    // The window got `message`: the next Notify of it posts again.
    void Delivered(UINT message);
    // Items whose thumbnails arrived since the last call, in the generation `generation`.
    std::vector<size_t> TakeFinished(unsigned* generation);
    // How many of the items have their thumbnail stored.
    size_t ReadyCount() const;

    // The items on screen: workers take these first, then the rest in order.
    void SetVisible(size_t first, size_t last);
    // Blocks until there is a thumbnail to make (true) or the workers must stop (false).
    // While items keep arriving (a download filling the tray) the machine goes to the copy:
    // nothing is made during the first kBurstGraceMs of a burst (a card's whole download
    // often takes less), then only the items on screen, by one worker at a time; the rest are
    // made, by every worker, at the pause that ends the burst: no item for kQuietGaps times
    // the usual gap between its items, at least kShortestQuietMs and at most kArrivalQuietMs
    // (a gap that long starts a new burst).
    bool NextJob(TrayJob* job);
    static constexpr DWORD kArrivalQuietMs = 50;
    static constexpr DWORD kShortestQuietMs = 15;
    static constexpr DWORD kQuietGaps = 5;
    static constexpr DWORD kBurstGraceMs = 250;
    // The pause that would end the present burst, in ms.
    DWORD QuietMs() const;
    // Stores a made thumbnail unless its item was cleared meanwhile.
    void Finish(const TrayJob& job, std::shared_ptr<const TrayThumbnail> thumbnail);
    // Counted before a worker thread starts, so that Stop waits for it too.
    void WorkerStarting();
    void WorkerLeft();
    // Tells the workers to stop after the thumbnail each is making; waits up to timeoutMs for
    // them to leave. True when they all left.
    bool Stop(DWORD timeoutMs);

private:
    enum class State : BYTE { Waiting, Making, Done };
    struct Item {
        std::string path;
        std::string label;
        std::shared_ptr<const TrayThumbnail> thumbnail;
        State state = State::Waiting;
        bool selected = false;
    };
    // Bits of m_posted, one per kind of message on its way.
    static unsigned PostedBit(UINT message) { return 1u << (message - WM_USER); }
    void NotifyLocked(UINT message);
    bool PickVisibleLocked(size_t* index) const;
    bool PickJobLocked(size_t* index);

    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_workChanged = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE m_workerLeft = CONDITION_VARIABLE_INIT;
    std::vector<Item> m_items;
    unsigned m_generation = 0;
    size_t m_next = 0; // items before it are all taken
    size_t m_visibleFirst = 0;
    size_t m_visibleLast = 0;
    bool m_stopping = false;
    int m_workers = 0;
    int m_making = 0;          // workers between NextJob and Finish
    DWORD QuietMsLocked() const;
    ULONGLONG m_lastAdd = 0;    // NowMs of the last Add
    ULONGLONG m_burstStart = 0; // ... of the first Add after a pause
    double m_meanGapMs = double(kArrivalQuietMs) / kQuietGaps; // between a burst's items
    HWND m_window = nullptr;
    unsigned m_posted = 0;
    std::vector<size_t> m_finished;
    size_t m_ready = 0; // items in State::Done
};
