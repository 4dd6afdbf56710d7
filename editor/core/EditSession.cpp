#include "editor/core/EditSession.h"

#include <utility>

namespace tav::editor {

EditSession::EditSession(const EditorDocument& initial) : m_history(initial) {}

bool EditSession::commitIfChanged(const tpl::Template& before) {
    if (m_history.current().templ() == before)
        return false;
    m_history.commit();
    return true;
}

bool EditSession::edit(const Change& change) {
    // Pictures are shared between copies: the copy is cheap even for a picture-heavy label.
    const tpl::Template before = m_history.current().templ();
    change(m_history.current());
    // Inside a gesture the step waits for its end, measured from its start.
    if (m_gestureStart)
        return m_history.current().templ() != before;
    return commitIfChanged(before);
}

void EditSession::adjust(const Change& change) {
    change(m_history.current());
}

void EditSession::beginGesture() {
    m_gestureStart = m_history.current().templ();
}

bool EditSession::finishGesture() {
    if (!m_gestureStart)
        return false;
    const tpl::Template before = std::move(*m_gestureStart);
    m_gestureStart.reset();
    return commitIfChanged(before);
}

bool EditSession::undo() {
    m_gestureStart.reset();
    return m_history.undo();
}

bool EditSession::redo() {
    m_gestureStart.reset();
    return m_history.redo();
}

void EditSession::renew() {
    m_gestureStart.reset();
    m_history.resetAll();
}

void EditSession::replace(EditorDocument opened) {
    m_gestureStart.reset();
    m_history.resetAll(std::move(opened));
}

} // namespace tav::editor
