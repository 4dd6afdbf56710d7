#include "editor/core/UndoHistory.h"

#include <algorithm>
#include <vector>

namespace tav::editor {
namespace {

EditorDocument withoutSelection(EditorDocument doc) {
    doc.selectNothing();
    return doc;
}

} // namespace

UndoHistory::UndoHistory(const EditorDocument& initial) : m_viewed(initial) {
    m_slots.fill(initial);
}

const EditorDocument& UndoHistory::snapshot(int index) const {
    return m_slots[slot(std::clamp(index, 1, kSlots))];
}

void UndoHistory::viewCurrent() {
    m_viewed = current();
    m_viewedBelow = false;
}

void UndoHistory::commit() {
    // The states Undo will step back through, oldest first: the snapshots below the current
    // one, the state the user saw before this change, then the changed drawing without and with
    // its selection. Right after a commit the slot below already holds the state seen.
    std::vector<EditorDocument> states;
    states.reserve(kSlots + 2);
    const int below = m_viewedBelow ? m_current - 2 : m_current - 1;
    for (int i = 1; i <= below; ++i)
        states.push_back(withoutSelection(std::move(m_slots[slot(i)])));
    states.push_back(withoutSelection(std::move(m_viewed)));
    states.push_back(withoutSelection(current()));
    states.push_back(std::move(current()));

    // The index rises by one per change; a change made after an undo needs one slot more, for
    // the state it was made on.
    const int newest = std::min(m_current + (m_viewedBelow ? 1 : 2), kSlots);
    const std::size_t keep = static_cast<std::size_t>(newest);
    if (states.size() > keep)
        states.erase(states.begin(), states.end() - static_cast<std::ptrdiff_t>(keep));
    // Slots with no history of their own yet hold the oldest state (as they did at the start).
    if (states.size() < keep) {
        const EditorDocument oldest = states.front();
        states.insert(states.begin(), keep - states.size(), oldest);
    }
    for (std::size_t i = 0; i < keep; ++i)
        m_slots[i] = std::move(states[i]);

    m_current = newest;
    m_newest = newest; // the redo side is gone
    m_viewed = current();
    m_viewedBelow = true;
}

bool UndoHistory::undo() {
    if (m_current <= 1)
        return false;
    --m_current;
    viewCurrent();
    return true;
}

bool UndoHistory::redo() {
    if (m_current >= m_newest)
        return false;
    ++m_current;
    viewCurrent();
    return true;
}

void UndoHistory::resetAll() {
    EditorDocument fresh = current();
    fresh.reset();
    m_slots.fill(fresh);
    m_newest = kSlots;
    viewCurrent();
    m_viewedBelow = m_current > 1; // every slot holds the same new document
}

void UndoHistory::resetAll(EditorDocument opened) {
    resetAll();
    current() = std::move(opened);
    viewCurrent();
}

} // namespace tav::editor
