// The dialogs the user sees: Qt's message boxes, input box and file, font, color and printer
// dialogs, with the Chinese titles, texts and buttons of the designer.
#pragma once

#include "editor/app/Dialogs.h"

namespace tav::editor {

class QtDialogs final : public Dialogs {
public:
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    void error(QWidget* parent, const QString& title, const QString& text) override;
    void information(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<int> integer(QWidget* parent, const QString& title, const QString& prompt,
                               int initial) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogSetup& setup) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogSetup& setup) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
    void printerSetup(QWidget* parent) override;
    bool openWithDesktop(const QString& path) override;
};

} // namespace tav::editor
