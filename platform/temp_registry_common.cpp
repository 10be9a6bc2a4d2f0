// The lock-free registry of temporary paths and the interrupt note.
#include "platform/temp_registry.h"
#include "platform/temp_registry_slots.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstring>

namespace {

constexpr std::size_t PATH_SLOTS = 16;
constexpr std::size_t NOTE_ROOM = 512;

enum SlotState : int { FREE, FILLING, READY };

struct PathSlot {
    std::atomic<int> state{FREE};
    std::array<char, PATH_MAX> path{};
};

std::array<PathSlot, PATH_SLOTS> thePaths;

// Two buffers, so that a note is never rewritten while it is the one
// published: the writer fills the other and then publishes it.
std::array<std::array<char, NOTE_ROOM>, 2> theNotes{};
std::array<std::size_t, 2> theNoteLengths{};
std::atomic<int> thePublishedNote{-1};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads these atomics");

} // namespace

int RegisterTempPath(std::string_view path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < thePaths.size(); ++i) {
        PathSlot& slot = thePaths[i];
        int expected = FREE;
        if (!slot.state.compare_exchange_strong(expected, FILLING, std::memory_order_acq_rel))
            continue;
        std::memcpy(slot.path.data(), path.data(), path.size());
        slot.path[path.size()] = '\0';
        slot.state.store(READY, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void UnregisterTempPath(int slot)
{
    if (slot >= 0 && static_cast<std::size_t>(slot) < thePaths.size())
        thePaths[static_cast<std::size_t>(slot)].state.store(FREE, std::memory_order_release);
}

void SetInterruptNote(std::string_view text)
{
    const int next = thePublishedNote.load(std::memory_order_acquire) == 0 ? 1 : 0;
    const std::size_t length = std::min(text.size(), NOTE_ROOM - 1);
    std::array<char, NOTE_ROOM>& note = theNotes[static_cast<std::size_t>(next)];
    std::memcpy(note.data(), text.data(), length);
    note[length] = '\n';
    theNoteLengths[static_cast<std::size_t>(next)] = length + 1;
    thePublishedNote.store(next, std::memory_order_release);
}

void ClearInterruptNote()
{
    thePublishedNote.store(-1, std::memory_order_release);
}

void RemoveRegisteredTempPaths(void (*remove)(const char* path))
{
    for (PathSlot& slot : thePaths)
        if (slot.state.load(std::memory_order_acquire) == READY)
            remove(slot.path.data());
}

std::string_view PublishedInterruptNote()
{
    const int note = thePublishedNote.load(std::memory_order_acquire);
    if (note < 0)
        return {};
    return {theNotes[static_cast<std::size_t>(note)].data(),
            theNoteLengths[static_cast<std::size_t>(note)]};
}
