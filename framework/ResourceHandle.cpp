#include "framework/ResourceHandle.h"

#include <atomic>

namespace {

// The one process-wide choice of resource module; atomic because worker threads load strings.
std::atomic<HINSTANCE>& ResourceSlot() {
    static std::atomic<HINSTANCE> slot{nullptr};
    return slot;
}

} // namespace

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE chosen = ResourceSlot().load();
    return chosen != nullptr ? chosen : ::GetModuleHandleA(nullptr);
}

void AfxSetResourceHandle(HINSTANCE resources) {
    ResourceSlot().store(resources);
}
