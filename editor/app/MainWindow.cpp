#include "editor/app/MainWindow.h"

#include "editor/app/PageView.h"
#include "editor/app/PropertyTabs.h"
#include "editor/app/Ruler.h"
#include "editor/app/UiTexts.h"
#include "editor/core/EditorTexts.h"
#include "platform/Spooler.h"
#include "platform/SystemSpooler.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tav::editor {

namespace {

// The 14 tools, in tool (and element kind) order.
const char* const kToolNames[] = {"选择", "空矩", "实矩", "圆角", "空圆", "实圆", "横线",
                                  "竖线", "左斜", "右斜", "条码", "维码", "图像", "文本"};

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs) {
    setWindowTitle(QString::fromStdString(windowCaption("")));
    m_commands = new DocumentCommands(m_session, m_dialogs, *this,
                                      {.documentReplaced = [this] { documentReplaced(); },
                                       .edited =
                                           [this] {
                                               refreshPanels();
                                               m_canvas->redraw();
                                           },
                                       .redraw = [this] { m_canvas->redraw(); },
                                       .zoomStep = [this] { return m_view->zoomStep(); }});
    connect(m_commands, &DocumentCommands::finished, this, &MainWindow::finished);
    connect(m_commands, &DocumentCommands::captionShown, this, &MainWindow::captionShown);
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
    if (platform::createSystemSpooler()->listPrinters(printers) == platform::SpoolStatus::Ok) {
        for (const auto& printer : printers)
            m_printerCombo->addItem(QString::fromStdString(printer.name));
    }

    m_view->setTemplate(&m_session.document().templ());
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
    DocumentCommands* commands = m_commands;
    connect(m_newAction, &QAction::triggered, commands, &DocumentCommands::newDocument);
    connect(m_openAction, &QAction::triggered, commands, &DocumentCommands::openDocument);
    connect(m_saveAction, &QAction::triggered, commands, &DocumentCommands::save);
    connect(m_saveAsAction, &QAction::triggered, commands, &DocumentCommands::saveAs);
    connect(m_printAction, &QAction::triggered, commands, &DocumentCommands::print);
    connect(m_previewAction, &QAction::triggered, commands, &DocumentCommands::printPreview);
    connect(setup, &QAction::triggered, commands, &DocumentCommands::printSetup);
    connect(m_exitAction, &QAction::triggered, commands, &DocumentCommands::exitProgram);
    connect(importLabAction, &QAction::triggered, commands, &DocumentCommands::importLab);
    connect(associateAction, &QAction::triggered, commands, &DocumentCommands::associate);

    QMenu* edit = menuBar()->addMenu(texts::kMenuEdit);
    QAction* undoAction = add(edit, QStringLiteral("&Z.撤销"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redoAction = add(edit, QStringLiteral("&Y.重复"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_duplicateAction =
        add(edit, QStringLiteral("&C.复制新增"), QKeySequence(Qt::CTRL | Qt::Key_C));
    edit->addSeparator();
    m_centerHAction = add(edit, QStringLiteral("&W.横向居中"), QKeySequence(Qt::CTRL | Qt::Key_W));
    m_centerVAction = add(edit, QStringLiteral("&H.纵向居中"), QKeySequence(Qt::CTRL | Qt::Key_H));
    edit->addSeparator();
    m_raiseAction = add(edit, QStringLiteral("&U.向上一层"), QKeySequence(Qt::CTRL | Qt::Key_U));
    m_lowerAction = add(edit, QStringLiteral("&D.向下一层"), QKeySequence(Qt::CTRL | Qt::Key_D));
    edit->addSeparator();
    m_deleteAction = add(edit, QStringLiteral("&L.删除"), QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(undoAction, &QAction::triggered, this, &MainWindow::undo);
    connect(redoAction, &QAction::triggered, this, &MainWindow::redo);
    // The canvas controller is built with the canvas, after the menus.
    const auto onCanvas = [this](void (CanvasController::*command)()) {
        return [this, command] { (m_canvas->*command)(); };
    };
    connect(m_duplicateAction, &QAction::triggered, this,
            onCanvas(&CanvasController::duplicateSelection));
    connect(m_centerHAction, &QAction::triggered, this,
            onCanvas(&CanvasController::centerHorizontally));
    connect(m_centerVAction, &QAction::triggered, this,
            onCanvas(&CanvasController::centerVertically));
    connect(m_raiseAction, &QAction::triggered, this, onCanvas(&CanvasController::raiseSelection));
    connect(m_lowerAction, &QAction::triggered, this, onCanvas(&CanvasController::lowerSelection));
    connect(m_deleteAction, &QAction::triggered, this,
            onCanvas(&CanvasController::deleteSelection));
    m_editMenu = edit;

    QMenu* batch = menuBar()->addMenu(texts::kMenuBatch);
    const std::pair<const char*, BatchSource> batchItems[] = {
        {"&S.Microsoft SQL Server", BatchSource::SqlServer},
        {"&E.Microsoft Office Excel", BatchSource::Excel},
        {"&Q.MySQL", BatchSource::MySql}};
    for (const auto& [caption, source] : batchItems)
        connect(add(batch, QString::fromUtf8(caption)), &QAction::triggered, commands,
                [commands, source = source] { commands->openBatch(source); });

    QMenu* helpMenu = menuBar()->addMenu(texts::kMenuHelp);
    QAction* manual = add(helpMenu, QStringLiteral("&B.使用说明"));
    QAction* fontsAction = add(helpMenu, QStringLiteral("&F.安装字体"));
    QAction* aboutAction = add(helpMenu, QStringLiteral("&A.关于"));
    connect(manual, &QAction::triggered, commands, &DocumentCommands::help);
    connect(aboutAction, &QAction::triggered, commands, &DocumentCommands::about);
    connect(fontsAction, &QAction::triggered, commands, &DocumentCommands::installFonts);
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
    button(QStringLiteral("横向居中"), m_centerHAction);
    button(QStringLiteral("纵向居中"), m_centerVAction);
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
    m_tabs = new PropertyTabs(m_session, m_dialogs, bar);
    layout->addWidget(m_tabs);
    const PageTabControls& page = m_tabs->pageControls();
    m_printerCombo = page.printer;
    m_zoomCombo = page.zoom;
    m_zoomSlider = page.zoomSlider;
    // A typed length, a text's new content or font changes the box status bar part 3 shows.
    connect(m_tabs, &PropertyTabs::documentChanged, this, [this] {
        m_canvas->redraw();
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
    m_canvas = new CanvasController(
        m_session, m_dialogs, *m_view, this,
        {.currentTool = [this] { return currentTool(); },
         .selectTool = [this](Tool tool) { selectTool(tool); },
         .refreshPanels = [this] { refreshPanels(); },
         .showSelectionBox = [this] { showSelectionBox(); },
         .scrollBy =
             [this](int dx, int dy) {
                 if (dx != 0)
                     m_horizontal->setValue(m_horizontal->value() + dx);
                 if (dy != 0)
                     m_vertical->setValue(m_vertical->value() + dy);
             },
         .popupEditMenu = [this](QPoint global) { m_editMenu->popup(global); }});
    connect(m_view, &PageView::pressed, m_canvas, &CanvasController::pressed);
    connect(m_view, &PageView::moved, m_canvas, &CanvasController::moved);
    connect(m_view, &PageView::released, m_canvas, &CanvasController::released);
    connect(m_view, &PageView::keyPressed, m_canvas, &CanvasController::key);
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

void MainWindow::showZoomStep(int step) {
    const QSignalBlocker blockSlider(m_zoomSlider);
    const QSignalBlocker blockCombo(m_zoomCombo);
    m_zoomSlider->setValue(step);
    m_zoomCombo->setCurrentIndex(step - kMinZoomStep);
    m_view->setZoomStep(step);
}

void MainWindow::refreshPanels(int tab) {
    m_tabs->refresh(tab);
}

void MainWindow::refreshPanels() {
    refreshPanels(m_session.document().selectedKind());
}

void MainWindow::documentReplaced() {
    refreshPanels(0);
    showZoomStep(m_session.document().zoomStep());
    layoutCanvas();
    m_canvas->redraw();
}

void MainWindow::setZoomStep(int step) {
    step = std::clamp(step, kMinZoomStep, kMaxZoomStep);
    showZoomStep(step);
    // The zoom is kept in the file but is no history step.
    m_session.adjust([step](EditorDocument& d) {
        d.setZoom(static_cast<float>(step / double{kZoomStepsPerUnit}));
    });
    m_canvas->redraw();
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

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window is never closed by itself: only the exit question ends the program.
    event->ignore();
    m_commands->exitProgram();
}

// --- history ---

// The panels and the status bar show the snapshot undo or redo went to, never values of another
// one.
void MainWindow::undo() {
    m_canvas->cancelGesture();
    m_session.undo();
    showCurrentSnapshot();
    m_canvas->redraw();
}

void MainWindow::redo() {
    m_canvas->cancelGesture();
    m_session.redo();
    showCurrentSnapshot();
    m_canvas->redraw();
}

void MainWindow::showCurrentSnapshot() {
    showZoomStep(m_session.document().zoomStep());
    layoutCanvas();
    refreshPanels();
    showSelectionBox();
}

// --- tools and status ---

Tool MainWindow::currentTool() const {
    return Tool::fromButton(std::max(m_tools->checkedId(), 0));
}

void MainWindow::selectTool(Tool tool) {
    m_tools->button(tool.button())->setChecked(true);
}

QString MainWindow::statusText(int part) const {
    return m_status[std::clamp(part, 0, 2)]->text();
}

void MainWindow::showSelectionBox() {
    const EditorDocument& document = m_session.document();
    m_status[2]->setText(
        QString::fromStdString(document.hasSelection() ? boxText(document.box()) : emptyBoxText()));
}

} // namespace tav::editor
