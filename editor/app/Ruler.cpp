#include "editor/app/Ruler.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tav::editor {

Ruler::Ruler(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation) {
    setMouseTracking(true);
    if (orientation == Qt::Horizontal)
        setFixedHeight(kThickness);
    else
        setFixedWidth(kThickness);
}

void Ruler::setScale(double pixelsPerUnit) {
    m_scale = pixelsPerUnit;
    update();
}

void Ruler::setOffset(int offset) {
    m_offset = offset;
    update();
}

void Ruler::setCursorAt(int contentPixel) {
    if (contentPixel == m_cursor)
        return;
    m_cursor = contentPixel;
    update();
}

void Ruler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xF4, 0xF4, 0xF4));
    const bool across = m_orientation == Qt::Horizontal;
    const int length = across ? width() : height();
    const double pixelsPerMm = m_scale * 10;

    // Numbers at least 40 pixels apart: every 5, 10, 20, 50 or 100 mm.
    int labelStep = 5;
    for (int step : {5, 10, 20, 50, 100}) {
        labelStep = step;
        if (step * pixelsPerMm >= 40)
            break;
    }
    const int tickStep = pixelsPerMm >= 4 ? 1 : (pixelsPerMm >= 1 ? 5 : 10);

    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    p.setPen(QColor(0x60, 0x60, 0x60));
    const int first = static_cast<int>(std::floor(m_offset / pixelsPerMm));
    const int last = static_cast<int>(std::ceil((m_offset + length) / pixelsPerMm));
    for (int mm = std::max(0, first - first % tickStep); mm <= std::min(last, 500);
         mm += tickStep) {
        const int at = static_cast<int>(std::lround(mm * pixelsPerMm)) - m_offset;
        const int tick = mm % labelStep == 0 ? kThickness - 2 : (mm % 5 == 0 ? 8 : 4);
        if (across) {
            p.drawLine(at, kThickness - tick, at, kThickness);
        } else {
            p.drawLine(kThickness - tick, at, kThickness, at);
        }
        if (mm % labelStep == 0) {
            const QString number = QString::number(mm);
            if (across) {
                p.drawText(at + 2, 9, number);
            } else {
                p.save();
                p.translate(9, at + 2);
                p.rotate(90);
                p.drawText(0, 0, number);
                p.restore();
            }
        }
    }
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    if (across)
        p.drawLine(0, kThickness - 1, width(), kThickness - 1);
    else
        p.drawLine(kThickness - 1, 0, kThickness - 1, height());

    if (m_cursor >= 0) {
        const int at = m_cursor - m_offset;
        p.setPen(QColor(0xD0, 0x20, 0x20));
        if (across)
            p.drawLine(at, 0, at, kThickness);
        else
            p.drawLine(0, at, kThickness, at);
    }
}

void Ruler::mouseMoveEvent(QMouseEvent* event) {
    const double along =
        m_orientation == Qt::Horizontal ? event->position().x() : event->position().y();
    emit hovered((along + m_offset) / (m_scale * 10));
    QWidget::mouseMoveEvent(event);
}

} // namespace tav::editor
