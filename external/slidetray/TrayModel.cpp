#include "TrayModel.h"

#include "external/slidetray/LockGuard.h"

#include <algorithm>
#include <utility>

namespace {

// Milliseconds of a clock finer than the tick count (which moves in steps of about 16 ms on
// Windows, as long as the shortest pause).
ULONGLONG NowMs() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<ULONGLONG>(now.QuadPart * 1000 / frequency.QuadPart);
}

} // namespace

void CTrayModel::Add(const std::string& path, const std::string& label) {
    CLockGuard guard(&m_lock);
    Item item;
    item.path = path;
    item.label = label;
    m_items.push_back(std::move(item));
    // The first item after a pause wakes every worker, so that those waiting without a limit
    // start watching for the next pause; after it, only an item a worker may make now (one on
    // screen) wakes one. In between, the waiting workers wake at the pause by themselves.
    const ULONGLONG now = NowMs();
    const ULONGLONG gap = now - m_lastAdd;
    const size_t index = m_items.size() - 1;
    if (gap >= QuietMsLocked()) {
        ::WakeAllConditionVariable(&m_workChanged);
    } else if (index >= m_visibleFirst && index < m_visibleLast) {
        ::WakeConditionVariable(&m_workChanged);
    }
    if (gap >= kArrivalQuietMs) {
        m_burstStart = now;
        m_meanGapMs = double(kArrivalQuietMs) / kQuietGaps;
    } else {
        m_meanGapMs = (3 * m_meanGapMs + double(gap)) / 4;
    }
    m_lastAdd = now;
    NotifyLocked(kTrayItemsChanged);
}

void CTrayModel::Clear() {
    CLockGuard guard(&m_lock);
    // Swapped out rather than cleared, so that the thumbnails' memory goes back now.
    std::vector<Item>().swap(m_items);
    m_finished.clear();
    m_next = 0;
    m_ready = 0;
    ++m_generation;
    NotifyLocked(kTrayItemsChanged);
}

size_t CTrayModel::Count() const {
    CLockGuard guard(&m_lock);
    return m_items.size();
}

bool CTrayModel::Path(size_t index, std::string* path) const {
    CLockGuard guard(&m_lock);
    if (index >= m_items.size()) {
        return false;
    }
    *path = m_items[index].path;
    return true;
}

bool CTrayModel::Label(size_t index, std::string* label) const {
    CLockGuard guard(&m_lock);
    if (index >= m_items.size()) {
        return false;
    }
    *label = m_items[index].label;
    return true;
}

void CTrayModel::TakeState(unsigned* generation, size_t* count) {
    CLockGuard guard(&m_lock);
    m_posted &= ~PostedBit(kTrayItemsChanged);
    *generation = m_generation;
    *count = m_items.size();
}

bool CTrayModel::IsSelected(size_t index) const {
    CLockGuard guard(&m_lock);
    return index < m_items.size() && m_items[index].selected;
}

void CTrayModel::Select(size_t index, bool selected) {
    CLockGuard guard(&m_lock);
    if (index < m_items.size()) {
        m_items[index].selected = selected;
    }
}

void CTrayModel::SelectRange(size_t from, size_t to, bool exclusive) {
    CLockGuard guard(&m_lock);
    if (from > to) {
        std::swap(from, to);
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (i >= from && i <= to) {
            m_items[i].selected = true;
        } else if (exclusive) {
            m_items[i].selected = false;
        }
    }
}

void CTrayModel::SelectAll(bool selected) {
    CLockGuard guard(&m_lock);
    for (Item& item : m_items) {
        item.selected = selected;
    }
}

std::vector<std::string> CTrayModel::SelectedPaths() const {
    CLockGuard guard(&m_lock);
    std::vector<std::string> paths;
    for (const Item& item : m_items) {
        if (item.selected) {
            paths.push_back(item.path);
        }
    }
    return paths;
}

std::vector<TrayCell> CTrayModel::Cells(size_t first, size_t last) const {
    CLockGuard guard(&m_lock);
    std::vector<TrayCell> cells;
    for (size_t i = first; i < last && i < m_items.size(); ++i) {
        const Item& item = m_items[i];
        cells.push_back(TrayCell{item.label, item.thumbnail, item.selected});
    }
    return cells;
}

void CTrayModel::SetWindow(HWND window) {
    CLockGuard guard(&m_lock);
    m_window = window;
    m_posted = 0;
}

void CTrayModel::Notify(UINT message) {
    CLockGuard guard(&m_lock);
    NotifyLocked(message);
}

void CTrayModel::Delivered(UINT message) {
    CLockGuard guard(&m_lock);
    m_posted &= ~PostedBit(message);
}

void CTrayModel::NotifyLocked(UINT message) {
    if (!m_window || (m_posted & PostedBit(message))) {
        return;
    }
    // PostMessage never waits for the window's thread, so holding the lock here is harmless.
    if (::PostMessageA(m_window, message, 0, 0)) {
        m_posted |= PostedBit(message);
    }
}

std::vector<size_t> CTrayModel::TakeFinished(unsigned* generation) {
    CLockGuard guard(&m_lock);
    m_posted &= ~PostedBit(kTrayThumbnailsReady);
    *generation = m_generation;
    std::vector<size_t> finished;
    finished.swap(m_finished);
    return finished;
}

size_t CTrayModel::ReadyCount() const {
    CLockGuard guard(&m_lock);
    return m_ready;
}

void CTrayModel::SetVisible(size_t first, size_t last) {
    CLockGuard guard(&m_lock);
    m_visibleFirst = first;
    m_visibleLast = last;
}

bool CTrayModel::PickVisibleLocked(size_t* index) const {
    size_t visibleEnd = m_visibleLast < m_items.size() ? m_visibleLast : m_items.size();
    for (size_t i = m_visibleFirst; i < visibleEnd; ++i) {
        if (m_items[i].state == State::Waiting) {
            *index = i;
            return true;
        }
    }
    return false;
}

bool CTrayModel::PickJobLocked(size_t* index) {
    if (PickVisibleLocked(index)) {
        return true;
    }
    while (m_next < m_items.size() && m_items[m_next].state != State::Waiting) {
        ++m_next;
    }
    if (m_next < m_items.size()) {
        *index = m_next;
        return true;
    }
    return false;
}

bool CTrayModel::NextJob(TrayJob* job) {
    CLockGuard guard(&m_lock);
    for (;;) {
        if (m_stopping) {
            return false;
        }
        const ULONGLONG now = NowMs();
        const ULONGLONG sinceAdd = now - m_lastAdd;
        const DWORD quiet = QuietMsLocked();
        const bool arriving = sinceAdd < quiet;
        const ULONGLONG burstAge = now - m_burstStart;
        const bool young = arriving && burstAge < kBurstGraceMs;
        size_t index = 0;
        const bool picked = !arriving ? PickJobLocked(&index)
                                      : !young && m_making == 0 && PickVisibleLocked(&index);
        if (!picked && arriving) {
            // Files are arriving: wait until they stop, the burst is old enough, or an item
            // on screen comes.
            ULONGLONG wait = quiet - sinceAdd;
            if (young) {
                wait = std::min<ULONGLONG>(wait, kBurstGraceMs - burstAge);
            }
            ::SleepConditionVariableSRW(&m_workChanged, &m_lock, static_cast<DWORD>(wait), 0);
            continue;
        }
        if (picked) {
            Item& item = m_items[index];
            item.state = State::Making;
            ++m_making;
            job->generation = m_generation;
            job->index = index;
            job->path = item.path;
            return true;
        }
        ::SleepConditionVariableSRW(&m_workChanged, &m_lock, INFINITE, 0);
    }
}

DWORD CTrayModel::QuietMs() const {
    CLockGuard guard(&m_lock);
    return QuietMsLocked();
}

DWORD CTrayModel::QuietMsLocked() const {
    const double quiet = kQuietGaps * m_meanGapMs;
    return quiet <= kShortestQuietMs  ? kShortestQuietMs
           : quiet >= kArrivalQuietMs ? kArrivalQuietMs
                                      : static_cast<DWORD>(quiet + 0.5);
}

void CTrayModel::Finish(const TrayJob& job, std::shared_ptr<const TrayThumbnail> thumbnail) {
    CLockGuard guard(&m_lock);
    --m_making;
    // A worker held back while files arrived may take the next one now.
    ::WakeConditionVariable(&m_workChanged);
    if (job.generation != m_generation || job.index >= m_items.size()) {
        return;
    }
    Item& item = m_items[job.index];
    item.thumbnail = std::move(thumbnail);
    item.state = State::Done;
    ++m_ready;
    m_finished.push_back(job.index);
    NotifyLocked(kTrayThumbnailsReady);
}

void CTrayModel::WorkerStarting() {
    CLockGuard guard(&m_lock);
    ++m_workers;
}

void CTrayModel::WorkerLeft() {
    CLockGuard guard(&m_lock);
    --m_workers;
    ::WakeAllConditionVariable(&m_workerLeft);
}

bool CTrayModel::Stop(DWORD timeoutMs) {
    CLockGuard guard(&m_lock);
    m_stopping = true;
    ::WakeAllConditionVariable(&m_workChanged);
    DWORD start = ::GetTickCount();
    while (m_workers > 0) {
        DWORD waited = ::GetTickCount() - start;
        if (waited >= timeoutMs ||
            !::SleepConditionVariableSRW(&m_workerLeft, &m_lock, timeoutMs - waited, 0)) {
            return m_workers == 0;
        }
    }
    return true;
}
