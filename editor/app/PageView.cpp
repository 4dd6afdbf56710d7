#include "editor/app/PageView.h"

#include "common/Color.h"
#include "common/Units.h"
#include "dotgauge.h"
#include "platform/PageCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace tav::editor {

namespace {

// Around the page: the drawing area beyond the paper.
constexpr QRgb kAreaColor = 0xFFA0A0A0;
constexpr QRgb kFrameColor = 0xFF0078D7;
constexpr QRgb kPickedColor = 0xFFE07000;

QRgb pageColor(std::int32_t colorRef) {
    return qRgb(redOf(colorRef), greenOf(colorRef), blueOf(colorRef));
}

} // namespace

PageView::PageView(QWidget* parent) : QWidget(parent), m_screenDpi(GetDPI()) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted by paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageView::setTemplate(const tpl::Template* tpl) {
    m_tpl = tpl;
    templateChanged();
}

void PageView::templateChanged() {
    m_picturesReady = false;
    update();
}

void PageView::setMarks(CanvasMarks marks) {
    m_marks = std::move(marks);
    update();
}

void PageView::setZoomStep(int step) {
    step = std::clamp(step, kMinZoomStep, kMaxZoomStep);
    if (step == m_zoomStep)
        return;
    m_zoomStep = step;
    update();
}

QSize PageView::contentSize() const {
    const int side = static_cast<int>(std::lround(kAreaUnits * pixelsPerUnit()));
    return {side, side};
}

void PageView::setScroll(QPoint offset) {
    if (offset == m_scroll)
        return;
    m_scroll = offset;
    update();
}

void PageView::preparePictures() {
    // An element added without templateChanged() must not send the renderer past the pictures.
    if (m_picturesReady && m_tpl && m_prepared.pictures.size() == m_tpl->elements.size())
        return;
    m_prepared = {};
    if (m_tpl)
        engine::prepareShownPictures(*m_tpl, {.pictures = &m_pictureCache}, m_prepared);
    m_picturesReady = true;
}

QRect PageView::pixelBox(const tpl::ElementBox& box) const {
    // The corners scaled, so that the bottom-right corner is where hit tests look for the handle.
    const double s = pixelsPerUnit();
    const auto scaled = [s](std::int64_t v) {
        return static_cast<int>(static_cast<double>(v) * s);
    };
    const int left = scaled(box.x), top = scaled(box.y);
    const int right = scaled(std::int64_t{box.x} + box.width);
    const int bottom = scaled(std::int64_t{box.y} + box.height);
    return QRect(left, top, right - left, bottom - top);
}

void PageView::paintArea(QImage& image, QPoint at, const QRect& area) {
    QRect target(at, area.size());
    target &= image.rect();
    if (target.isEmpty())
        return;
    const QRect shown(area.topLeft() + (target.topLeft() - at), target.size());

    // The drawing area, and the paper in its color where the page lies.
    QPainter fill(&image);
    fill.fillRect(target, QColor(kAreaColor));
    if (m_tpl) {
        const double s = pixelsPerUnit();
        const QRect page(0, 0, static_cast<int>(std::lround(m_tpl->page.paperWidth * s)),
                         static_cast<int>(std::lround(m_tpl->page.paperHeight * s)));
        const QRect paper = page.intersected(shown).translated(target.topLeft() - shown.topLeft());
        fill.fillRect(paper, QColor(pageColor(m_tpl->page.paperColor)));
    }
    fill.end();

    if (m_tpl) {
        preparePictures();
        const int dpi = static_cast<int>(std::lround(kUnitsPerInch * pixelsPerUnit()));
        platform::PixelTarget pixels{
            image.bits() + target.y() * image.bytesPerLine() + target.x() * 4, target.width(),
            target.height(), static_cast<int>(image.bytesPerLine())};
        if (auto canvas =
                platform::createPixelCanvas(pixels, pixelsPerUnit(), dpi, shown.x(), shown.y())) {
            engine::drawPage(
                m_prepared, *canvas,
                {.deviceDpiY = dpi, .pictures = &m_pictureCache, .screenDpi = m_screenDpi});
        }
    }
    paintMarks(image, target.topLeft() - shown.topLeft(), target);
}

void PageView::paintMarks(QImage& image, QPoint offset, const QRect& clip) const {
    QPainter p(&image);
    p.setClipRect(clip);
    p.translate(offset);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(kPickedColor), 1, Qt::DashLine));
    for (const auto& box : m_marks.picked)
        p.drawRect(pixelBox(box));
    if (m_marks.selected) {
        const QRect box = pixelBox(*m_marks.selected);
        p.setPen(QPen(QColor(kFrameColor), 1, Qt::DashLine));
        p.drawRect(box);
        p.fillRect(QRect(box.bottomRight() + QPoint(1, 1),
                         QSize(kResizeHandlePixels, kResizeHandlePixels)),
                   QColor(kFrameColor));
    }
    if (m_marks.rubberBand) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(m_marks.rubberBand->normalized());
    }
}

void PageView::paintEvent(QPaintEvent* event) {
    if (m_frame.size() != size())
        m_frame = QImage(size(), QImage::Format_RGB32);
    QPainter out(this);
    for (const QRect& rect : event->region()) {
        paintArea(m_frame, rect.topLeft(), rect.translated(m_scroll));
        out.drawImage(rect, m_frame, rect);
    }
}

QPointF PageView::unitsAt(QPointF viewPosition) const {
    return (viewPosition + QPointF(m_scroll)) / pixelsPerUnit();
}

void PageView::mousePressEvent(QMouseEvent* event) {
    emit pressed(unitsAt(event->position()), event->button(), event->modifiers());
    event->accept();
}

void PageView::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved(event->position().toPoint() + m_scroll);
    emit moved(unitsAt(event->position()), event->buttons());
    event->accept();
}

void PageView::mouseReleaseEvent(QMouseEvent* event) {
    emit released(unitsAt(event->position()), event->button());
    event->accept();
}

void PageView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Escape:
        emit keyPressed(event->key(), event->modifiers());
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PageView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        // Touchpads report parts of a notch: they add up to whole steps.
        m_wheelRemainder += delta;
        const int notches = m_wheelRemainder / 120;
        m_wheelRemainder -= notches * 120;
        if (notches != 0)
            emit zoomWheel(notches);
    } else {
        emit scrollWheel(-delta);
    }
    event->accept();
}

} // namespace tav::editor
