// The designer's undo history: 60 snapshots of the document, numbered 1..60, of which slot
// currentIndex() is the document being edited. Handlers change current() in place and then call
// commit(); undo() and redo() step between the snapshots.
//
// A commit keeps the state the user was looking at: after an edit, Undo first shows the same
// drawing with nothing selected, then the state before the edit, then every earlier state in
// order, also when the edit was made after an undo. Snapshots newer than the one the edit was
// made on (the redo side) are dropped by the edit. When the history is full the oldest falls off.
#pragma once

#include "editor/core/EditorDocument.h"

#include <array>
#include <cstdint>

namespace tav::editor {

class UndoHistory {
public:
    static constexpr int kSlots = 60;

    // Every slot a copy of `initial`; the current index is 60.
    explicit UndoHistory(const EditorDocument& initial = EditorDocument());

    // The document being edited.
    EditorDocument& current() { return m_slots[slot(m_current)]; }
    const EditorDocument& current() const { return m_slots[slot(m_current)]; }
    // The current index, 1..60.
    int currentIndex() const { return m_current; }
    // The snapshot at `index` (1..60; clamped).
    const EditorDocument& snapshot(int index) const;

    // Records the change just made to current(): the index rises by one (at most to 60).
    void commit();
    // One step back (not below 1) / forward (not beyond the newest snapshot); false when there
    // was nowhere to go.
    bool undo();
    bool redo();
    bool canUndo() const { return m_current > 1; }
    bool canRedo() const { return m_current < m_newest; }

    // New: every slot becomes a new document; the index stays, and the next edit raises it by
    // one.
    void resetAll();
    // Open: every slot becomes a new document except the current one, which becomes `opened`.
    void resetAll(EditorDocument opened);

private:
    static std::size_t slot(int index) { return static_cast<std::size_t>(index - 1); }
    void viewCurrent();

    std::array<EditorDocument, kSlots> m_slots;
    int m_current = kSlots;
    int m_newest = kSlots; // redo stops here
    // The current snapshot as the user last saw it before editing it in place.
    EditorDocument m_viewed;
    // True right after a commit: the slot below the current one already holds m_viewed.
    bool m_viewedBelow = false;
};

} // namespace tav::editor
