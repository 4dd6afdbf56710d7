#include "editor/app/QtDialogs.h"

#include "editor/app/UiTexts.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

#include <climits>

namespace tav::editor {

namespace {

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.addButton(texts::kOk, QMessageBox::AcceptRole);
    box.exec();
}

std::optional<QString> fileDialog(QWidget* parent, const FileDialogSetup& setup,
                                  QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, setup.title, setup.defaultName, setup.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(setup.defaultSuffix);
    dialog.selectFile(setup.defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(texts::kYes, QMessageBox::YesRole);
    QPushButton* no = box.addButton(texts::kNo, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::error(QWidget* parent, const QString& title, const QString& text) {
    showBox(parent, QMessageBox::Critical, title, text);
}

void QtDialogs::information(QWidget* parent, const QString& title, const QString& text) {
    showBox(parent, QMessageBox::Information, title, text);
}

std::optional<int> QtDialogs::integer(QWidget* parent, const QString& title, const QString& prompt,
                                      int initial) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(INT_MIN, INT_MAX);
    dialog.setIntValue(initial);
    dialog.setOkButtonText(texts::kOk);
    dialog.setCancelButtonText(texts::kCancel);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.intValue();
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const FileDialogSetup& setup) {
    return fileDialog(parent, setup, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const FileDialogSetup& setup) {
    return fileDialog(parent, setup, QFileDialog::AcceptSave);
}

std::optional<QFont> QtDialogs::font(QWidget* parent, const QFont& initial) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, initial, parent, texts::kFontDialogTitle);
    if (!ok)
        return std::nullopt;
    return chosen;
}

std::optional<QColor> QtDialogs::color(QWidget* parent, const QColor& initial) {
    QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

void QtDialogs::printerSetup(QWidget* parent) {
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.exec();
}

bool QtDialogs::openWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace tav::editor
