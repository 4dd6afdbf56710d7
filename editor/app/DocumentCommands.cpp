#include "editor/app/DocumentCommands.h"

#include "editor/app/BatchTexts.h"
#include "editor/app/ImportAndSetupTexts.h"
#include "editor/app/PrintPreview.h"
#include "editor/app/UiTexts.h"
#include "editor/core/DesktopIntegration.h"
#include "editor/core/EditSession.h"
#include "editor/core/EditorTexts.h"
#include "editor/core/FontInstall.h"
#include "editor/core/LabImport.h"
#include "platform/ScratchFile.h"
#include "printengine/BatchRun.h"
#include "printengine/ExportsLabelSink.h"
#include "printengine/InProcessPictureMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>

#include <optional>
#include <utility>

namespace tav::editor {

namespace {

FileDialogSetup tavDialog(const QString& title) {
    return {title, texts::kUntitled, texts::kTavFilter, texts::kTavSuffix};
}

} // namespace

DocumentCommands::DocumentCommands(EditSession& session, Dialogs& dialogs, QMainWindow& window,
                                   DocumentHooks hooks)
    : QObject(&window), m_session(session), m_dialogs(dialogs), m_window(window),
      m_hooks(std::move(hooks)) {}

void DocumentCommands::setCaption() {
    m_window.setWindowTitle(QString::fromStdString(windowCaption(m_currentPath.toStdString())));
}

// --- files ---

bool DocumentCommands::loadInto(const QString& path) {
    EditorDocument opened;
    if (opened.load(path.toStdString()) != LoadStatus::Loaded)
        return false;
    m_session.replace(std::move(opened));
    return true;
}

bool DocumentCommands::saveTo(const QString& path) {
    const Status saved = m_session.document().save(path.toStdString());
    if (saved)
        return true;
    m_dialogs.error(&m_window, texts::kSaveFailedTitle,
                    texts::withReason(texts::kSaveFailedText + path, saved.error()));
    return false;
}

void DocumentCommands::showAs(const QString& path) {
    m_currentPath = path;
    setCaption();
    m_hooks.documentReplaced();
}

bool DocumentCommands::openFromArguments(const QStringList& arguments) {
    const QString path = arguments.join(QLatin1Char(' ')).trimmed();
    if (path.isEmpty())
        return true;
    if (!QFileInfo::exists(path)) {
        m_dialogs.error(&m_window, texts::kOpenFailedTitle, texts::kOpenMissingText);
        return false;
    }
    if (!loadInto(path)) {
        m_dialogs.error(&m_window, texts::kOpenFailedTitle, texts::kOpenUnusableText + path);
        return false;
    }
    showAs(path);
    return true;
}

void DocumentCommands::newDocument() {
    if (!m_dialogs.question(&m_window, texts::kNewTitle, texts::kNewText))
        return;
    m_session.renew();
    showAs({});
}

void DocumentCommands::openDocument() {
    if (!m_dialogs.question(&m_window, texts::kOpenTitle, texts::kOpenText))
        return;
    const auto chosen = m_dialogs.openFile(&m_window, tavDialog(texts::kOpenDialogTitle));
    if (!chosen || chosen->isEmpty() || !QFileInfo::exists(*chosen))
        return;
    if (!loadInto(*chosen)) {
        // The document is new, and untitled: a later Save must not write the new document
        // over the file that could not be opened.
        m_session.renew();
        showAs({});
        m_dialogs.error(&m_window, texts::kOpenFailedTitle, texts::kOpenUnusableText + *chosen);
        return;
    }
    showAs(*chosen);
}

void DocumentCommands::save() {
    if (!m_currentPath.isEmpty()) {
        saveTo(m_currentPath);
        return;
    }
    saveAs();
}

void DocumentCommands::saveAs() {
    const auto chosen = m_dialogs.saveFile(&m_window, tavDialog(texts::kSaveDialogTitle));
    if (!chosen)
        return;
    // The path is kept also when saving fails, so that Save tries it again.
    m_currentPath = *chosen;
    if (m_currentPath.isEmpty()) {
        setCaption();
        return;
    }
    if (saveTo(m_currentPath))
        setCaption();
}

void DocumentCommands::exitProgram() {
    if (!m_dialogs.question(&m_window, texts::kExitTitle, texts::kExitText))
        return;
    m_session.renew();
    emit finished(0);
}

// --- printing ---

void DocumentCommands::print() {
    const Result<std::string> scratch = m_session.document().saveToScratchFile();
    if (!scratch) {
        m_dialogs.error(&m_window, texts::kPrintFailedTitle,
                        texts::withReason(texts::kPrintScratchText, scratch.error()));
        return;
    }
    // The copies go through the batch loop and the library's exports, one job each; the sink
    // empties the library's template when it goes, before the file does.
    if (auto sink = engine::ExportsLabelSink::create(scratch.value(), engine::kPauseBetweenJobs);
        !sink) {
        m_dialogs.error(&m_window, texts::kPrintFailedTitle, texts::kPrintLoadText);
    } else if (const auto copies =
                   m_dialogs.integer(&m_window, texts::kCopiesTitle, texts::kCopiesPrompt, 1);
               copies && *copies > 0) {
        engine::InProcessPictureMaker pictures; // unused: the library fills the marks
        engine::BatchPrinter printer(sink.value()->layout(), *sink.value(), pictures);
        if (engine::printCopies(printer, static_cast<std::size_t>(*copies)).failed > 0)
            m_dialogs.error(&m_window, texts::kPrintFailedTitle, texts::kPrintCopyText);
    }
    platform::removeFile(scratch.value());
}

void DocumentCommands::openBatch(BatchSource source) {
    const Result<std::string> scratch = m_session.document().saveToScratchFile();
    if (!scratch) {
        m_dialogs.error(&m_window, batchtexts::kFailedTitle,
                        texts::withReason(batchtexts::kMenuScratchText, scratch.error()));
        return;
    }
    BatchWindowSetup setup;
    setup.templatePath = scratch.value();
    setup.source = source;
    setup.settingsFiles = data::sqlDataConfigFiles(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    BatchWindow window(m_dialogs, std::move(setup), &m_window);
    window.exec();
}

void DocumentCommands::printPreview() {
    PrintPreview preview(m_session.document().templ(), m_hooks.zoomStep(), &m_window);
    preview.setGeometry(m_window.geometry());
    preview.exec();
}

void DocumentCommands::printSetup() {
    m_dialogs.printerSetup(&m_window);
}

// --- help ---

void DocumentCommands::help() {
    // Beside the program, or in the installation's share folder.
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/help.pdf"), dir + QStringLiteral("/../share/tav/help.pdf")}) {
        if (QFileInfo::exists(candidate)) {
            if (m_dialogs.openWithDesktop(QDir::cleanPath(candidate)))
                return;
            break;
        }
    }
    m_dialogs.error(&m_window, texts::kHelpMissingTitle, texts::kHelpMissingText);
}

void DocumentCommands::about() {
    m_dialogs.information(&m_window, texts::kAboutTitle,
                          texts::kAboutFirstLine +
                              QStringLiteral("\r\n\r\n标签单据设计器\r\n"
                                             "设计 .tav 标签模板，打印到系统打印机。\r\n"
                                             "Qt ") +
                              QString::fromLatin1(qVersion()));
}

// --- .lab import ---

void DocumentCommands::importLab() {
    const auto chosen = m_dialogs.openFile(&m_window, {texts::kLabDialogTitle, texts::kLabUntitled,
                                                       texts::kLabFilter, texts::kLabSuffix});
    if (!chosen || chosen->isEmpty() || !QFileInfo::exists(*chosen))
        return;
    if (!m_dialogs.question(&m_window, texts::kLabConfirmTitle, texts::kLabConfirmText + *chosen))
        return;
    std::optional<LabImportResult> outcome;
    m_session.edit([&](EditorDocument& document) {
        outcome.emplace(importLabFile(document, chosen->toStdString()));
    });
    if (!*outcome) {
        // The document is as it was.
        m_dialogs.error(&m_window, texts::kLabFailedTitle,
                        texts::withReason(texts::kLabFailedText, outcome->error()));
        return;
    }
    m_hooks.edited();
    QString done = texts::kLabDoneText;
    if (outcome->value().skippedPictures > 0)
        done += texts::kLabSkippedBefore + QString::number(outcome->value().skippedPictures) +
                texts::kLabSkippedAfter;
    m_dialogs.information(&m_window, texts::kLabDoneTitle, done);
}

void DocumentCommands::installFonts() {
    installFontsFrom(fontSourceFolders(QCoreApplication::applicationDirPath().toStdString()),
                     fontTargetFolder());
}

void DocumentCommands::installFontsFrom(const std::vector<std::string>& folders,
                                        const std::string& target) {
    // A user installs fonts for themself without privileges; only a font folder that cannot be
    // written stops the command.
    if (!canInstallFontsInto(target)) {
        m_dialogs.error(&m_window, texts::kFontsFailedTitle, texts::kFontsFailedText);
        return;
    }
    const QString caption = m_window.windowTitle();
    auto show = [this](const QString& text) {
        m_window.setWindowTitle(text);
        emit captionShown(text);
    };
    show(texts::kFontsSearching + QString::fromStdString(folders.empty() ? "" : folders.front()));
    const std::vector<std::string> fonts = findFontFiles(folders);
    if (fonts.empty()) {
        m_window.setWindowTitle(caption);
        return;
    }
    const QString count = QString::number(fonts.size());
    show(texts::kFontsFoundBefore + count + texts::kFontsFoundAfter);
    if (!m_dialogs.question(&m_window, texts::kFontsTitle,
                            texts::kFontsAskBefore + count + texts::kFontsAskAfter)) {
        m_window.setWindowTitle(caption);
        return;
    }
    int installed = 0;
    std::vector<std::string> installedPaths;
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        show(texts::kFontsInstalling + QString::number(i + 1) + "/" + count);
        if (installFontFile(fonts[i], target)) {
            ++installed;
            installedPaths.push_back(
                target + "/" +
                QFileInfo(QString::fromStdString(fonts[i])).fileName().toStdString());
        }
        show(texts::kFontsInstalledBefore + QString::number(installed) +
             texts::kFontsInstalledAfter);
    }
    // The engine reads the fonts anew; Qt's own font list gets the new files too.
    refreshFonts(target);
    for (const auto& path : installedPaths)
        QFontDatabase::addApplicationFont(QString::fromStdString(path));
    m_hooks.redraw();
    m_dialogs.information(&m_window, texts::kFontsTitle,
                          texts::kFontsDoneBefore + QString::number(installed) +
                              texts::kFontsDoneAfter);
    m_window.setWindowTitle(caption);
}

void DocumentCommands::associate() {
    const Status associated =
        associateTavFiles(QCoreApplication::applicationFilePath().toStdString());
    if (!associated) {
        m_dialogs.error(&m_window, texts::kAssociateFailedTitle,
                        texts::withReason(texts::kAssociateFailedText, associated.error()));
        return;
    }
    m_dialogs.information(&m_window, texts::kAssociateDoneTitle, texts::kAssociateDoneText);
}

} // namespace tav::editor
