// A ruler beside the canvas, in millimetres, with a cursor that follows the pointer.
#pragma once

#include <QWidget>

namespace tav::editor {

class Ruler : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThickness = 20;

    Ruler(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Content pixels per tenth of a millimetre, as on the canvas.
    void setScale(double pixelsPerUnit);
    // The content pixel at the ruler's start (the canvas's scroll position along the ruler).
    void setOffset(int offset);
    // The cursor, in content pixels; negative hides it.
    void setCursorAt(int contentPixel);
    int cursorAt() const { return m_cursor; }

signals:
    // The pointer is over the ruler at this many millimetres.
    void hovered(double millimetres);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Qt::Orientation m_orientation;
    double m_scale = 1.0;
    int m_offset = 0;
    int m_cursor = -1;
};

} // namespace tav::editor
