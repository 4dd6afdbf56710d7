// The one way the designer changes its document. An edit runs on the current document and
// takes one history step only when the template differs afterwards: an arrow at the edge of the
// drawing area, centering an element that is centered, or lowering the lowest element leaves no
// empty step to undo. A gesture (a drag from press to release) is one edit however many moves it
// makes. What the history does not record (the selection, the zoom) is an adjustment.
#pragma once

#include "editor/core/EditorDocument.h"
#include "editor/core/UndoHistory.h"

#include <functional>
#include <optional>

namespace tav::editor {

class EditSession {
public:
    using Change = std::function<void(EditorDocument&)>;

    explicit EditSession(const EditorDocument& initial = EditorDocument());

    // The document being edited (the history's current snapshot).
    const EditorDocument& document() const { return m_history.current(); }
    const UndoHistory& history() const { return m_history; }

    // Runs `change`; one history step when the template changed. True when it changed.
    bool edit(const Change& change);
    // Runs `change` without a history step: selection, zoom, or a gesture's intermediate moves.
    void adjust(const Change& change);

    // A gesture: its moves are adjustments, and finishing it is one edit measured from the start.
    void beginGesture();
    // One history step when the template differs from the gesture's start; true when it did.
    bool finishGesture();
    bool inGesture() const { return m_gestureStart.has_value(); }

    bool undo();
    bool redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }

    // New: a new document in every snapshot.
    void renew();
    // Open: the opened document becomes the current snapshot, the others new documents.
    void replace(EditorDocument opened);

private:
    bool commitIfChanged(const tpl::Template& before);

    UndoHistory m_history;
    std::optional<tpl::Template> m_gestureStart;
};

} // namespace tav::editor
