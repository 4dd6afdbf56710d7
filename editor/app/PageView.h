// The canvas: a window onto the 500 mm drawing area at the current zoom. The page is drawn by the
// print renderer straight into the pixels of the part being painted, so the screen shows exactly
// what prints; the page color below it and the selection frames, the resize handle and the
// rubber band above it are the view's own.
#pragma once

#include "editor/core/CanvasScale.h"
#include "printengine/PageRenderer.h"
#include "printengine/PictureCache.h"
#include "template/Template.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

namespace tav::editor {

// What the view marks on top of the page, in tenths of a millimetre.
struct CanvasMarks {
    std::optional<tpl::ElementBox> selected; // framed, with the resize handle
    std::vector<tpl::ElementBox> picked;     // framed (the multi-selection)
    std::optional<QRect> rubberBand;         // in content pixels
};

class PageView : public QWidget {
    Q_OBJECT
public:
    // The drawing area is 500 mm on each side; the page lies in its top-left corner.
    static constexpr int kAreaUnits = 5000;

    explicit PageView(QWidget* parent = nullptr);

    // The template shown; the view keeps the pointer. Call templateChanged() after changes.
    void setTemplate(const tpl::Template* tpl);
    void templateChanged();
    void setMarks(CanvasMarks marks);

    // Zoom in tenths: kMinZoomStep (10 %) to kMaxZoomStep (200 %); a content pixel is zoomStep / 10
    // tenths of a mm.
    void setZoomStep(int step);
    int zoomStep() const { return m_zoomStep; }
    double pixelsPerUnit() const { return m_zoomStep / 10.0; }
    // The drawing area in pixels at the current zoom.
    QSize contentSize() const;
    // The content pixel shown at the view's top-left corner.
    void setScroll(QPoint offset);
    QPoint scroll() const { return m_scroll; }

    // A position in the view as a position on the page in tenths of a millimetre: the inverse
    // of the scaling the page is painted with, so hit tests find what is drawn at every zoom.
    QPointF unitsAt(QPointF viewPosition) const;
    // The box's pixels in the drawing area: the scaling the page and the marks are painted with.
    QRect pixelBox(const tpl::ElementBox& box) const;

    // Paints the content pixels `area` (page color, page, marks) into `image` at `at`; what
    // paintEvent does for each exposed rectangle, and what the benchmark times.
    void paintArea(QImage& image, QPoint at, const QRect& area);

signals:
    // The pointer moved to this content pixel.
    void pointerMoved(QPoint contentPixel);
    // A button went down / the pointer moved / a button came up, at this position on the page
    // (tenths of a millimetre).
    void pressed(QPointF units, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void moved(QPointF units, Qt::MouseButtons buttons);
    void released(QPointF units, Qt::MouseButton button);
    // A key went down while the canvas had the focus.
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The wheel turned with Ctrl held: whole notches, positive away from the user.
    void zoomWheel(int notches);
    // The wheel turned without Ctrl: pixels to scroll down (negative: up).
    void scrollWheel(int pixels);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void preparePictures();
    void paintMarks(QImage& image, QPoint at, const QRect& area) const;

    const tpl::Template* m_tpl = nullptr;
    int m_screenDpi; // what the template's point sizes are scaled with, asked once (GetDPI)
    engine::PictureCache m_pictureCache;
    engine::PreparedPage m_prepared;
    bool m_picturesReady = false;
    CanvasMarks m_marks;
    int m_zoomStep = 10;
    QPoint m_scroll;
    QImage m_frame; // the view's pixels, kept between paints
    int m_wheelRemainder = 0;
};

} // namespace tav::editor
