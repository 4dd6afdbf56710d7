#include "editor/app/PrintPreview.h"

#include "editor/app/PageView.h"
#include "editor/app/UiTexts.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace tav::editor {

QImage renderPageImage(const tpl::Template& tpl, int zoomStep) {
    PageView view;
    view.setTemplate(&tpl);
    view.setZoomStep(zoomStep);
    const double s = view.pixelsPerUnit();
    const QSize size(std::max(1, static_cast<int>(std::lround(tpl.page.paperWidth * s))),
                     std::max(1, static_cast<int>(std::lround(tpl.page.paperHeight * s))));
    QImage image(size, QImage::Format_RGB32);
    view.paintArea(image, {0, 0}, QRect({0, 0}, size));
    return image;
}

PrintPreview::PrintPreview(const tpl::Template& tpl, int zoomStep, QWidget* parent)
    : QDialog(parent), m_picture(new QLabel(this)) {
    setWindowTitle(texts::kPreviewTitle);
    setObjectName(texts::kPreviewTitle);
    m_picture->setObjectName(QStringLiteral("图片框1"));
    m_picture->setPixmap(QPixmap::fromImage(renderPageImage(tpl, zoomStep)));
    m_picture->adjustSize();
    m_picture->setCursor(Qt::OpenHandCursor);
    m_picture->installEventFilter(this);
}

void PrintPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // Centered until the user moves it.
    if (!m_moved)
        m_picture->move((width() - m_picture->width()) / 2, (height() - m_picture->height()) / 2);
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_picture)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            m_grab = mouse->position().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_picture->move(m_picture->pos() + mouse->position().toPoint() - m_grab);
            m_moved = true;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tav::editor
