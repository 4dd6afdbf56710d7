// The print preview: the page as the renderer draws it, centered in a window of the main
// window's size; the picture can be dragged around with the left button.
#pragma once

#include "template/Template.h"

#include <QDialog>
#include <QImage>

class QLabel;

namespace tav::editor {

// The page of `tpl` on its paper color at `zoomStep` tenths (10 = one pixel per 0.1 mm).
QImage renderPageImage(const tpl::Template& tpl, int zoomStep);

class PrintPreview : public QDialog {
    Q_OBJECT
public:
    PrintPreview(const tpl::Template& tpl, int zoomStep, QWidget* parent = nullptr);
    QLabel* picture() const { return m_picture; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_picture;
    QPoint m_grab;
    bool m_dragging = false;
    bool m_moved = false;
};

} // namespace tav::editor
