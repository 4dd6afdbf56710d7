// Dialogs for the window tests: every question, box and dialog is written down, and answered
// from what the test queued (No, cancel, nothing chosen when the queue is empty), so no test
// ever waits in a modal loop.
#pragma once

#include "editor/app/Dialogs.h"

#include <QList>
#include <QString>

#include <deque>
#include <optional>

namespace tav::editor::test {

struct Asked {
    QString kind; // "question", "error", "information", "integer", "open", "save", ...
    QString title;
    QString text;
    friend bool operator==(const Asked&, const Asked&) = default;
};

class ScriptedDialogs final : public Dialogs {
public:
    std::deque<bool> answers;                 // questions
    std::deque<std::optional<int>> integers;  // input boxes
    std::deque<std::optional<QString>> files; // open and save dialogs
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<QColor>> colors;
    QList<Asked> asked;
    QList<QString> opened; // documents handed to the desktop

    bool question(QWidget*, const QString& title, const QString& text) override {
        asked.append({"question", title, text});
        return take(answers).value_or(false);
    }
    void error(QWidget*, const QString& title, const QString& text) override {
        asked.append({"error", title, text});
    }
    void information(QWidget*, const QString& title, const QString& text) override {
        asked.append({"information", title, text});
    }
    std::optional<int> integer(QWidget*, const QString& title, const QString& prompt,
                               int initial) override {
        asked.append({"integer", title, prompt + "|" + QString::number(initial)});
        return take(integers).value_or(std::nullopt);
    }
    std::optional<QString> openFile(QWidget*, const FileDialogSetup& setup) override {
        asked.append({"open", setup.title, describe(setup)});
        return take(files).value_or(std::nullopt);
    }
    std::optional<QString> saveFile(QWidget*, const FileDialogSetup& setup) override {
        asked.append({"save", setup.title, describe(setup)});
        return take(files).value_or(std::nullopt);
    }
    std::optional<QFont> font(QWidget*, const QFont& initial) override {
        asked.append({"font", {}, initial.family()});
        return take(fonts).value_or(std::nullopt);
    }
    std::optional<QColor> color(QWidget*, const QColor& initial) override {
        asked.append({"color", {}, initial.name()});
        return take(colors).value_or(std::nullopt);
    }
    void printerSetup(QWidget*) override { asked.append({"printerSetup", {}, {}}); }
    bool openWithDesktop(const QString& path) override {
        opened.append(path);
        return true;
    }

private:
    template <typename T> static std::optional<T> take(std::deque<T>& queue) {
        if (queue.empty())
            return std::nullopt;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
    static QString describe(const FileDialogSetup& setup) {
        return setup.defaultName + "|" + setup.filter + "|" + setup.defaultSuffix;
    }
};

} // namespace tav::editor::test
