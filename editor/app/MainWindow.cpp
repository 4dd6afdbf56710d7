#include "editor/app/MainWindow.h"

#include "editor/app/BatchTexts.h"
#include "editor/app/ImportAndSetupTexts.h"
#include "editor/app/PageView.h"
#include "editor/app/PrintPreview.h"
#include "editor/app/PropertyTabs.h"
#include "editor/app/Ruler.h"
#include "editor/app/UiTexts.h"
#include "editor/core/DesktopIntegration.h"
#include "editor/core/EditorTexts.h"
#include "editor/core/FontInstall.h"
#include "editor/core/LabImport.h"
#include "platform/Charset.h"
#include "platform/ScratchFile.h"
#include "platform/Spooler.h"
#include "platform/SystemSpooler.h"
#include "tavprint.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace tav::editor {

namespace {

// The pause between copies, so that a slow spooler takes the jobs in order.
constexpr unsigned long kPauseBetweenCopiesMs = 200;

FileDialogSetup tavDialog(const QString& title) {
    return {title, texts::kUntitled, texts::kTavFilter, texts::kTavSuffix};
}

// The 14 tools, in tool (and element kind) order.
const char* const kToolNames[] = {"选择", "空矩", "实矩", "圆角", "空圆", "实圆", "横线",
                                  "竖线", "左斜", "右斜", "条码", "维码", "图像", "文本"};

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs) {
    setWindowTitle(QString::fromStdString(windowCaption("")));
    buildMenus();
    buildToolBar();

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildToolBox());
    row->addWidget(buildCanvasArea(), 1);
    row->addWidget(buildPropertyBar());
    setCentralWidget(central);
    buildStatusBar();

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setGeometry(50, 50, kMinimumWidth, kMinimumHeight);

    // The printers the spooler knows, after an empty item for the system's default.
    m_printerCombo->addItem(QString());
    std::vector<platform::PrinterInfo> printers;
    if (platform::createCupsSpooler()->listPrinters(printers) == platform::SpoolStatus::Ok) {
        for (const auto& printer : printers)
            m_printerCombo->addItem(QString::fromStdString(printer.name));
    }

    m_view->setTemplate(&m_history.current().templ());
    documentReplaced();
}

MainWindow::~MainWindow() = default;

// --- building the window ---

void MainWindow::buildMenus() {
    auto add = [](QMenu* menu, const QString& caption, QKeySequence key = {}) {
        QAction* action = menu->addAction(caption);
        if (!key.isEmpty())
            action->setShortcut(key);
        return action;
    };
    QMenu* file = menuBar()->addMenu(texts::kMenuFile);
    m_newAction = add(file, QStringLiteral("&N.新建"), QKeySequence(Qt::CTRL | Qt::Key_N));
    m_openAction = add(file, QStringLiteral("&O.打开"), QKeySequence(Qt::CTRL | Qt::Key_O));
    m_saveAction = add(file, QStringLiteral("&S.保存"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_saveAsAction = add(file, QStringLiteral("&A.另存为"), QKeySequence(Qt::CTRL | Qt::Key_A));
    file->addSeparator();
    m_printAction = add(file, QStringLiteral("&P.打印"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_previewAction = add(file, QStringLiteral("&V.打印预览"), QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction* setup = add(file, QStringLiteral("&X.打印设置"));
    file->addSeparator();
    QAction* importLabAction = add(file, QStringLiteral("&D.导入lab"));
    QAction* associateAction = add(file, QStringLiteral("&G.关联"));
    file->addSeparator();
    m_exitAction = add(file, QStringLiteral("&E.退出"));
    connect(m_newAction, &QAction::triggered, this, &MainWindow::newDocument);
    connect(m_openAction, &QAction::triggered, this, &MainWindow::openDocument);
    connect(m_saveAction, &QAction::triggered, this, &MainWindow::save);
    connect(m_saveAsAction, &QAction::triggered, this, &MainWindow::saveAs);
    connect(m_printAction, &QAction::triggered, this, &MainWindow::print);
    connect(m_previewAction, &QAction::triggered, this, &MainWindow::printPreview);
    connect(setup, &QAction::triggered, this, &MainWindow::printSetup);
    connect(m_exitAction, &QAction::triggered, this, &MainWindow::exitProgram);
    connect(importLabAction, &QAction::triggered, this, &MainWindow::importLab);
    connect(associateAction, &QAction::triggered, this, &MainWindow::associate);

    QMenu* edit = menuBar()->addMenu(texts::kMenuEdit);
    QAction* undoAction = add(edit, QStringLiteral("&Z.撤销"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redoAction = add(edit, QStringLiteral("&Y.重复"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_duplicateAction =
        add(edit, QStringLiteral("&C.复制新增"), QKeySequence(Qt::CTRL | Qt::Key_C));
    edit->addSeparator();
    m_centreHAction = add(edit, QStringLiteral("&W.横向居中"), QKeySequence(Qt::CTRL | Qt::Key_W));
    m_centreVAction = add(edit, QStringLiteral("&H.纵向居中"), QKeySequence(Qt::CTRL | Qt::Key_H));
    edit->addSeparator();
    m_raiseAction = add(edit, QStringLiteral("&U.向上一层"), QKeySequence(Qt::CTRL | Qt::Key_U));
    m_lowerAction = add(edit, QStringLiteral("&D.向下一层"), QKeySequence(Qt::CTRL | Qt::Key_D));
    edit->addSeparator();
    m_deleteAction = add(edit, QStringLiteral("&L.删除"), QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(undoAction, &QAction::triggered, this, &MainWindow::undo);
    connect(redoAction, &QAction::triggered, this, &MainWindow::redo);
    connect(m_duplicateAction, &QAction::triggered, this, &MainWindow::duplicateSelection);
    connect(m_centreHAction, &QAction::triggered, this, &MainWindow::centreHorizontally);
    connect(m_centreVAction, &QAction::triggered, this, &MainWindow::centreVertically);
    connect(m_raiseAction, &QAction::triggered, this, &MainWindow::raiseSelection);
    connect(m_lowerAction, &QAction::triggered, this, &MainWindow::lowerSelection);
    connect(m_deleteAction, &QAction::triggered, this, &MainWindow::deleteSelection);
    m_editMenu = edit;

    QMenu* batch = menuBar()->addMenu(texts::kMenuBatch);
    const std::pair<const char*, BatchSource> batchItems[] = {
        {"&S.Microsoft SQL Server", BatchSource::SqlServer},
        {"&E.Microsoft Office Excel", BatchSource::Excel},
        {"&Q.MySQL", BatchSource::MySql}};
    for (const auto& [caption, source] : batchItems)
        connect(add(batch, QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, source = source] { openBatch(source); });

    QMenu* helpMenu = menuBar()->addMenu(texts::kMenuHelp);
    QAction* manual = add(helpMenu, QStringLiteral("&B.使用说明"));
    QAction* fontsAction = add(helpMenu, QStringLiteral("&F.安装字体"));
    QAction* aboutAction = add(helpMenu, QStringLiteral("&A.关于"));
    connect(manual, &QAction::triggered, this, &MainWindow::help);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::about);
    connect(fontsAction, &QAction::triggered, this, &MainWindow::installFonts);
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("工具条"));
    bar->setObjectName(QStringLiteral("工具条"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Fifteen positions; 5, 8 and 14 are gaps between the groups.
    auto button = [bar](const QString& text, QAction* command) {
        QAction* action = bar->addAction(text);
        QObject::connect(action, &QAction::triggered, command, &QAction::trigger);
    };
    button(QStringLiteral("新建"), m_newAction);
    button(QStringLiteral("打开"), m_openAction);
    button(QStringLiteral("保存"), m_saveAction);
    button(QStringLiteral("另存为"), m_saveAsAction);
    bar->addSeparator();
    button(QStringLiteral("打印"), m_printAction);
    button(QStringLiteral("打印预览"), m_previewAction);
    bar->addSeparator();
    button(QStringLiteral("横向居中"), m_centreHAction);
    button(QStringLiteral("纵向居中"), m_centreVAction);
    button(QStringLiteral("向上一层"), m_raiseAction);
    button(QStringLiteral("向下一层"), m_lowerAction);
    button(QStringLiteral("删除"), m_deleteAction);
    bar->addSeparator();
    button(QStringLiteral("退出"), m_exitAction);
}

QWidget* MainWindow::buildToolBox() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("工具箱"));
    box->setFixedWidth(40);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    m_tools = new QButtonGroup(box);
    m_tools->setExclusive(true);
    int id = 0;
    for (const char* name : kToolNames) {
        auto* button = new QToolButton(box);
        button->setObjectName(QString::fromUtf8(name));
        button->setText(QString::fromUtf8(name));
        button->setCheckable(true);
        button->setFixedSize(36, 36);
        m_tools->addButton(button, id++);
        column->addWidget(button);
    }
    m_tools->button(0)->setChecked(true);
    column->addStretch(1);
    return box;
}

QWidget* MainWindow::buildPropertyBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("属性栏"));
    bar->setFixedWidth(300);
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(2, 2, 2, 2);
    m_tabs = new PropertyTabs(m_history, m_dialogs, bar);
    layout->addWidget(m_tabs);
    const PageTabControls& page = m_tabs->pageControls();
    m_printerCombo = page.printer;
    m_zoomCombo = page.zoom;
    m_zoomSlider = page.zoomSlider;
    // A typed length, a text's new content or font changes the box status bar part 3 shows.
    connect(m_tabs, &PropertyTabs::documentChanged, this, [this] {
        redraw();
        showSelectionBox();
    });
    connect(m_zoomSlider, &QSlider::valueChanged, this, &MainWindow::setZoomStep);
    connect(m_zoomCombo, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoomStep(index + 1); });
    return bar;
}

QWidget* MainWindow::buildCanvasArea() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto* unit = new QLabel(texts::kUnitMm, area);
    unit->setObjectName(QStringLiteral("单位"));
    unit->setAlignment(Qt::AlignCenter);
    unit->setFixedSize(Ruler::kThickness, Ruler::kThickness);
    m_topRuler = new Ruler(Qt::Horizontal, area);
    m_topRuler->setObjectName(QStringLiteral("上标尺"));
    m_leftRuler = new Ruler(Qt::Vertical, area);
    m_leftRuler->setObjectName(QStringLiteral("左标尺"));
    m_view = new PageView(area);
    m_view->setObjectName(QStringLiteral("绘图画板"));
    m_horizontal = new QScrollBar(Qt::Horizontal, area);
    m_horizontal->setObjectName(QStringLiteral("横向滚动条"));
    m_vertical = new QScrollBar(Qt::Vertical, area);
    m_vertical->setObjectName(QStringLiteral("纵向滚动条"));
    grid->addWidget(unit, 0, 0);
    grid->addWidget(m_topRuler, 0, 1);
    grid->addWidget(m_leftRuler, 1, 0);
    grid->addWidget(m_view, 1, 1);
    grid->addWidget(m_vertical, 0, 2, 2, 1);
    grid->addWidget(m_horizontal, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    // The canvas and the rulers move together.
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this](int x) {
        m_view->setScroll({x, m_view->scroll().y()});
        m_topRuler->setOffset(x);
    });
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int y) {
        m_view->setScroll({m_view->scroll().x(), y});
        m_leftRuler->setOffset(y);
    });
    connect(m_view, &PageView::pointerMoved, this, &MainWindow::pointerMoved);
    connect(m_view, &PageView::pressed, this, &MainWindow::canvasPressed);
    connect(m_view, &PageView::moved, this, &MainWindow::canvasMoved);
    connect(m_view, &PageView::released, this, &MainWindow::canvasReleased);
    connect(m_view, &PageView::keyPressed, this, &MainWindow::canvasKey);
    connect(m_view, &PageView::zoomWheel, this,
            [this](int notches) { setZoomStep(m_zoomSlider->value() + notches); });
    connect(m_view, &PageView::scrollWheel, this,
            [this](int pixels) { m_vertical->setValue(m_vertical->value() + pixels); });
    connect(m_topRuler, &Ruler::hovered, this, [this](double mm) {
        m_status[1]->setText(QString::fromStdString(positionText(mm, 0)));
    });
    connect(m_leftRuler, &Ruler::hovered, this, [this](double mm) {
        m_status[1]->setText(QString::fromStdString(positionText(0, mm)));
    });
    return area;
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("状态条"));
    for (int i = 0; i < 3; ++i) {
        m_status[i] = new QLabel(i == 2 ? QString::fromStdString(emptyBoxText())
                                        : QString::fromStdString(emptyPositionText()),
                                 bar);
        if (i < 2)
            m_status[i]->setFixedWidth(200);
        bar->addWidget(m_status[i], i == 2 ? 1 : 0);
    }
}

// --- the document on screen ---

void MainWindow::setCaption() {
    setWindowTitle(QString::fromStdString(windowCaption(m_currentPath.toStdString())));
}

void MainWindow::showZoomOf(const EditorDocument& document) {
    const int step = document.zoomStep();
    const QSignalBlocker blockSlider(m_zoomSlider);
    const QSignalBlocker blockCombo(m_zoomCombo);
    m_zoomSlider->setValue(step);
    m_zoomCombo->setCurrentIndex(step - 1);
    m_view->setZoomStep(step);
}

void MainWindow::refreshPanels(int tab) {
    m_tabs->refresh(tab);
}

void MainWindow::refreshPanels() {
    refreshPanels(m_history.current().selectedKind());
}

void MainWindow::documentReplaced() {
    refreshPanels(0);
    showZoomOf(m_history.current());
    layoutCanvas();
    redraw();
}

void MainWindow::setZoomStep(int step) {
    step = std::clamp(step, 1, kZoomChoices);
    {
        const QSignalBlocker blockSlider(m_zoomSlider);
        const QSignalBlocker blockCombo(m_zoomCombo);
        m_zoomSlider->setValue(step);
        m_zoomCombo->setCurrentIndex(step - 1);
    }
    m_history.current().setZoom(static_cast<float>(step / 10.0));
    m_view->setZoomStep(step);
    redraw();
    layoutCanvas();
}

void MainWindow::layoutCanvas() {
    const QSize content = m_view->contentSize();
    m_horizontal->setRange(0, std::max(0, content.width() - m_view->width()));
    m_horizontal->setPageStep(m_view->width());
    m_horizontal->setSingleStep(20);
    m_vertical->setRange(0, std::max(0, content.height() - m_view->height()));
    m_vertical->setPageStep(m_view->height());
    m_vertical->setSingleStep(20);
    m_topRuler->setScale(m_view->pixelsPerUnit());
    m_leftRuler->setScale(m_view->pixelsPerUnit());
    m_view->setScroll({m_horizontal->value(), m_vertical->value()});
    m_topRuler->setOffset(m_horizontal->value());
    m_leftRuler->setOffset(m_vertical->value());
}

void MainWindow::scrollTo(QPoint contentPixel) {
    m_horizontal->setValue(contentPixel.x());
    m_vertical->setValue(contentPixel.y());
}

void MainWindow::redraw() {
    const EditorDocument& document = m_history.current();
    CanvasMarks marks;
    if (document.hasSelection())
        marks.selected = document.box();
    for (std::int32_t index : document.multiSelection())
        marks.picked.push_back(document.element(index).box);
    if (m_drag.held && !document.hasSelection() && m_drag.bandStart != m_drag.bandEnd) {
        const double s = m_view->pixelsPerUnit();
        marks.rubberBand = QRectF(m_drag.bandStart * s, m_drag.bandEnd * s).normalized().toRect();
    }
    // The history may have moved to another snapshot: show the current one.
    m_view->setTemplate(&document.templ());
    m_view->setMarks(std::move(marks));
}

void MainWindow::pointerMoved(QPoint contentPixel) {
    m_topRuler->setCursorAt(contentPixel.x());
    m_leftRuler->setCursorAt(contentPixel.y());
    m_status[0]->setText(QString::fromStdString(
        pointerText(contentPixel.x(), contentPixel.y(), m_view->pixelsPerUnit())));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutCanvas();
}

// --- files ---

bool MainWindow::loadInto(const QString& path) {
    EditorDocument opened;
    if (opened.load(path.toStdString()) != LoadStatus::Loaded)
        return false;
    m_history.resetAll(std::move(opened));
    return true;
}

bool MainWindow::saveTo(const QString& path) {
    std::string error;
    if (m_history.current().save(path.toStdString(), error))
        return true;
    m_dialogs.error(this, texts::kSaveFailedTitle, texts::kSaveFailedText + path);
    return false;
}

bool MainWindow::openFromArguments(const QStringList& arguments) {
    const QString path = arguments.join(QLatin1Char(' ')).trimmed();
    if (path.isEmpty())
        return true;
    if (!QFileInfo::exists(path)) {
        m_dialogs.error(this, texts::kOpenFailedTitle, texts::kOpenMissingText);
        return false;
    }
    if (!loadInto(path)) {
        m_dialogs.error(this, texts::kOpenFailedTitle, texts::kOpenUnusableText + path);
        return false;
    }
    m_currentPath = path;
    setCaption();
    documentReplaced();
    return true;
}

void MainWindow::newDocument() {
    if (!m_dialogs.question(this, texts::kNewTitle, texts::kNewText))
        return;
    m_history.resetAll();
    m_currentPath.clear();
    setCaption();
    documentReplaced();
}

void MainWindow::openDocument() {
    if (!m_dialogs.question(this, texts::kOpenTitle, texts::kOpenText))
        return;
    const auto chosen = m_dialogs.openFile(this, tavDialog(texts::kOpenDialogTitle));
    if (!chosen || chosen->isEmpty() || !QFileInfo::exists(*chosen))
        return;
    if (!loadInto(*chosen)) {
        // The document is new, and untitled: a later Save must not write the new document
        // over the file that could not be opened.
        m_history.resetAll();
        m_currentPath.clear();
        setCaption();
        documentReplaced();
        m_dialogs.error(this, texts::kOpenFailedTitle, texts::kOpenUnusableText + *chosen);
        return;
    }
    m_currentPath = *chosen;
    setCaption();
    documentReplaced();
}

void MainWindow::save() {
    if (!m_currentPath.isEmpty()) {
        saveTo(m_currentPath);
        return;
    }
    saveAs();
}

void MainWindow::saveAs() {
    const auto chosen = m_dialogs.saveFile(this, tavDialog(texts::kSaveDialogTitle));
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

void MainWindow::exitProgram() {
    if (!m_dialogs.question(this, texts::kExitTitle, texts::kExitText))
        return;
    m_history.resetAll();
    emit finished(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window is never closed by itself: only the exit question ends the program.
    event->ignore();
    exitProgram();
}

// --- history ---

// The panels and the status bar show the snapshot undo or redo went to, never values of another
// one.
void MainWindow::undo() {
    m_history.undo();
    showCurrentSnapshot();
    redraw();
}

void MainWindow::redo() {
    m_history.redo();
    showCurrentSnapshot();
    redraw();
}

void MainWindow::showCurrentSnapshot() {
    showZoomOf(m_history.current());
    layoutCanvas();
    refreshPanels();
    showSelectionBox();
}

// --- printing ---

void MainWindow::print() {
    std::string error;
    const auto scratch = m_history.current().saveToScratchFile(error);
    if (!scratch) {
        m_dialogs.error(this, texts::kPrintFailedTitle, texts::kPrintScratchText);
        return;
    }
    if (TAVLoad(scratch->c_str()) == 0) {
        m_dialogs.error(this, texts::kPrintFailedTitle, texts::kPrintLoadText);
    } else if (const auto copies =
                   m_dialogs.integer(this, texts::kCopiesTitle, texts::kCopiesPrompt, 1);
               copies && *copies > 0) {
        for (int i = 1; i <= *copies; ++i) {
            const std::string jobName = "TAVPrint_" + std::to_string(i);
            if (TAVPrint(jobName.c_str()) == 0) {
                m_dialogs.error(this, texts::kPrintFailedTitle, texts::kPrintCopyText);
                break;
            }
            if (i < *copies)
                QThread::msleep(kPauseBetweenCopiesMs);
        }
    }
    TAVDestroy();
    platform::removeFile(*scratch);
}

void MainWindow::openBatch(BatchSource source) {
    std::string error;
    const auto scratch = m_history.current().saveToScratchFile(error);
    if (!scratch) {
        m_dialogs.error(this, batchtexts::kFailedTitle, batchtexts::kMenuScratchText);
        return;
    }
    BatchWindowSetup setup;
    setup.templatePath = *scratch;
    setup.source = source;
    setup.settingsFiles = data::sqlDataConfigFiles(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    BatchWindow window(m_dialogs, std::move(setup), this);
    window.exec();
}

void MainWindow::printPreview() {
    PrintPreview preview(m_history.current().templ(), m_view->zoomStep(), this);
    preview.setGeometry(geometry());
    preview.exec();
}

void MainWindow::printSetup() {
    m_dialogs.printerSetup(this);
}

// --- help ---

void MainWindow::help() {
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
    m_dialogs.error(this, texts::kHelpMissingTitle, texts::kHelpMissingText);
}

void MainWindow::about() {
    m_dialogs.information(this, texts::kAboutTitle,
                          texts::kAboutFirstLine +
                              QStringLiteral("\r\n\r\n标签单据设计器\r\n"
                                             "设计 .tav 标签模板，打印到系统打印机。\r\n"
                                             "Qt ") +
                              QString::fromLatin1(qVersion()));
}

// --- .lab import ---

void MainWindow::importLab() {
    const auto chosen = m_dialogs.openFile(
        this, {texts::kLabDialogTitle, texts::kLabUntitled, texts::kLabFilter, texts::kLabSuffix});
    if (!chosen || chosen->isEmpty() || !QFileInfo::exists(*chosen))
        return;
    if (!m_dialogs.question(this, texts::kLabConfirmTitle, texts::kLabConfirmText + *chosen))
        return;
    const LabImportOutcome outcome = importLabFile(m_history.current(), chosen->toStdString());
    if (outcome.status != LabImportStatus::Imported) {
        // The document is as it was.
        m_dialogs.error(this, texts::kLabFailedTitle, texts::kLabFailedText);
        return;
    }
    m_history.commit();
    refreshPanels();
    redraw();
    QString done = texts::kLabDoneText;
    if (outcome.skippedPictures > 0)
        done += texts::kLabSkippedBefore + QString::number(outcome.skippedPictures) +
                texts::kLabSkippedAfter;
    m_dialogs.information(this, texts::kLabDoneTitle, done);
}

void MainWindow::installFonts() {
    installFontsFrom(fontSourceFolders(QCoreApplication::applicationDirPath().toStdString()),
                     fontTargetFolder());
}

void MainWindow::installFontsFrom(const std::vector<std::string>& folders,
                                  const std::string& target) {
    // A user installs fonts for themself without privileges; only a font folder that cannot be
    // written stops the command.
    if (!canInstallFontsInto(target)) {
        m_dialogs.error(this, texts::kFontsFailedTitle, texts::kFontsFailedText);
        return;
    }
    const QString caption = windowTitle();
    auto show = [this](const QString& text) {
        setWindowTitle(text);
        emit captionShown(text);
    };
    show(texts::kFontsSearching + QString::fromStdString(folders.empty() ? "" : folders.front()));
    const std::vector<std::string> fonts = findFontFiles(folders);
    if (fonts.empty()) {
        setWindowTitle(caption);
        return;
    }
    const QString count = QString::number(fonts.size());
    show(texts::kFontsFoundBefore + count + texts::kFontsFoundAfter);
    if (!m_dialogs.question(this, texts::kFontsTitle,
                            texts::kFontsAskBefore + count + texts::kFontsAskAfter)) {
        setWindowTitle(caption);
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
    redraw();
    m_dialogs.information(this, texts::kFontsTitle,
                          texts::kFontsDoneBefore + QString::number(installed) +
                              texts::kFontsDoneAfter);
    setWindowTitle(caption);
}

void MainWindow::associate() {
    const AssociationOutcome outcome =
        associateTavFiles(QCoreApplication::applicationFilePath().toStdString());
    if (!outcome.written) {
        m_dialogs.error(this, texts::kAssociateFailedTitle, texts::kAssociateFailedText);
        return;
    }
    m_dialogs.information(this, texts::kAssociateDoneTitle, texts::kAssociateDoneText);
}

} // namespace tav::editor
