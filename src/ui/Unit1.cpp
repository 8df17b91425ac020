#include "Unit1.h"

#include "MenuIcons.h"
#include "analysis/Unit7.h"
#include "app/CommandLine.h"
#include "app/SharedState.h"
#include "diagram/Unit4.h"
#include "screenshot/Unit5.h"
#include "settings/Unit3.h"
#include "texts/AnalysisTexts.h"
#include "texts/Texts.h"
#include "ui/About.h"
#include "ui/DesignScale.h"
#include "ui/ErrorBox.h"
#include "ui/ExchangeStarters.h"
#include "ui/FileMenus.h"
#include "ui/GridWatch.h"
#include "ui/HelpWindow.h"
#include "ui/RecentProjects.h"
#include "ui/WindowPlace.h"
#include "ui/commands/ClipboardCopy.h"
#include "ui/commands/SaveDialog1.h"
#include "ui/commands/Unit6.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

// Design pixels (120 dpi, see DesignScale).
constexpr int kClientWidth = 1168;
constexpr int kClientHeight = 609;
constexpr int kMinimumWidth = 400;
constexpr int kButtonWidth = 172;
constexpr int kButtonHeight = 31;
constexpr std::array<int, 3> kButtonX = {40, 496, 952};
constexpr int kGridTop = 32;
constexpr int kRowHeight = 20;
constexpr std::array<int, kArchiveColumns> kColumnWidths = {40,  92, 120, 78, 78, 100,
                                                            216, 69, 71,  79, 74, 69};

// A modal box with one OK button and no owner, as every refusal of a command is shown.
void ErrorBox(const SharedState& state, const TextPair& caption, const QString& text)
{
    ShowErrorBox(state.tr(caption), text);
}

// The grid's headers have fixed sizes, so the text measuring a header does to propose its
// own size (every heading, and a hundred row numbers after each fill) is never needed.
class FixedHeader final : public QHeaderView {
public:
    using QHeaderView::QHeaderView;
    QSize sizeHint() const override
    {
        // The thickness the grid fixed, or a line of text until it has.
        const bool across = orientation() == Qt::Horizontal;
        int thickness = across ? maximumHeight() : maximumWidth();
        if (thickness >= QWIDGETSIZE_MAX) thickness = fontMetrics().height() + 4;
        return across ? QSize(length(), thickness) : QSize(thickness, length());
    }
};

} // namespace

TForm1::TForm1(SharedState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), projects_(this, AddRecentProject)
{
    setObjectName(QStringLiteral("Form1"));
    setAcceptDrops(true);
    showFolder_ = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
    fitFontAndScale();
    model_ = new ArchiveModel(this);
    central_ = new QWidget(this);
    central_->installEventFilter(this);
    setCentralWidget(central_);
    createButtons();
    createGrid();
    createMenu();
    createStatusBar();
    createHelpKey();
    connectExchangeButtons();
    placeOnScreen();

    switchLanguage(0);
    Timer1->start();
    state_.VersionUnread = 1;
}

void TForm1::fitFontAndScale()
{
    // The design's 14-pixel font at 120 dpi, kept in proportion on this screen.
    DesignScale design(*this);
    setFont(design.font());
    // Fonts here may run wider than the one the widths were chosen for: widen the whole
    // layout until the headings and the longest usual cell texts fit their columns again.
    const auto fit = [&](const QString& text, int column) { design.fit(text, kColumnWidths[column]); };
    for (int c = 1; c < kArchiveColumns; ++c) {
        fit(HeaderText(c, 0), c);
        fit(HeaderText(c, 1), c);
    }
    for (const TextPair& sensor : ExchangeText::SensorNames) {
        fit(sensor.ru, 2);
        fit(sensor.en, 2);
    }
    fit(QStringLiteral(" -500  -  500"), 3);
    scale_ = design.factor();
}

void TForm1::createButtons()
{
    Button1 = new QPushButton(central_);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(central_);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(central_);
    Button3->setObjectName(QStringLiteral("Button3"));
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
}

void TForm1::createStatusBar()
{
    StatusText = new QLabel(this);
    StatusText->setObjectName(QStringLiteral("StatusBar1Text"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(StatusText, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::createHelpKey()
{
    // Key preview: F1 reaches the window whichever control has the focus.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this,
            [this] { THelpWindow::Open(this, THelpWindow::TopicOf(this), state_.Lang.load()); });
    // The other windows' F1.
    THelpWindow::InstallHelpKey(this, [this] { return int(state_.Lang.load()); });
}

void TForm1::connectExchangeButtons()
{
    // The buttons that start an exchange wait while one runs (the worker signals from its
    // own thread, hence the queued delivery).
    connect(&state_.activity, &ExchangeActivity::runningChanged, this, &TForm1::updateExchangeButtons,
            Qt::QueuedConnection);
    updateExchangeButtons();
}

void TForm1::placeOnScreen()
{
    const int width = int(std::lround(kClientWidth * scale_));
    const int height = int(std::lround(kClientHeight * scale_));
    setMinimumWidth(int(std::lround(kMinimumWidth * scale_)));
    PlaceWindow(*this, QSize(width, height + menuBar()->sizeHint().height()));
}

void TForm1::createGrid()
{
    StringGrid1 = new QTableView(central_);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeader(new FixedHeader(Qt::Horizontal, StringGrid1));
    StringGrid1->setVerticalHeader(new FixedHeader(Qt::Vertical, StringGrid1));
    StringGrid1->setModel(model_);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setShowGrid(true);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Column 0 (the record numbers) is the fixed column: the view shows it as its
    // vertical header, so it stays in place when scrolling and can never be selected.
    StringGrid1->setColumnHidden(0, true);
    QHeaderView* top = StringGrid1->horizontalHeader();
    QHeaderView* left = StringGrid1->verticalHeader();
    for (QHeaderView* h : {top, left}) {
        h->setSectionsClickable(false);
        h->setSectionsMovable(false);
        h->setHighlightSections(false);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->viewport()->installEventFilter(this);
    }
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    left->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int rowHeight = std::max(int(std::lround(kRowHeight * scale_)), fontMetrics().height() + 4);
    left->setMinimumSectionSize(rowHeight);
    left->setDefaultSectionSize(rowHeight);
    top->setFixedHeight(rowHeight);
    left->setFixedWidth(int(std::lround(kColumnWidths[0] * scale_)));
    top->setDefaultSectionSize(int(std::lround(64 * scale_)));
    // Columns of a project with other dimensions keep the default width.
    const auto applyWidths = [this, top]() {
        StringGrid1->setColumnHidden(0, true);
        for (int c = 1; c < std::min<int>(model_->columnCount(), kArchiveColumns); ++c)
            top->resizeSection(c, int(std::lround(kColumnWidths[c] * scale_)));
    };
    applyWidths();
    connect(model_, &QAbstractItemModel::modelReset, this, applyWidths);

    StringGrid1->viewport()->installEventFilter(this);
    StringGrid1->installEventFilter(this);

    // The corner above the fixed column is the heading of column 0: it shows "№" and sorts
    // by record number like any other heading.
    gridWatch_ = new GridWatch(StringGrid1, [this] { return table().cell(0, 0); });
    corner_ = gridWatch_->corner();
    if (corner_) corner_->installEventFilter(this);
}

void TForm1::createMenu()
{
    const auto item = [this](QMenu* menu, const char* name, void (TForm1::*handler)()) {
        QAction* a = menu->addAction(QString());
        a->setObjectName(QLatin1String(name));
        a->setIconVisibleInMenu(true);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    // The pictures are seen only inside the opened menus: drawn when a menu first opens,
    // not before the window's first paint.
    using Picture = QIcon (*)();
    const auto picturesOnFirstShow = [](QMenu* menu,
                                        std::initializer_list<std::pair<QAction*, Picture>> items) {
        std::vector<std::pair<QAction*, Picture>> pending(items);
        connect(
            menu, &QMenu::aboutToShow, menu,
            [pending] {
                for (const auto& [action, picture] : pending) action->setIcon(picture());
            },
            Qt::SingleShotConnection);
    };
    File1 = menuBar()->addMenu(QString());
    File1->setObjectName(QStringLiteral("File1"));
    Save1 = item(File1, "Save1", &TForm1::Save1Click);
    N1 = item(File1, "N1", &TForm1::N1Click);
    N2 = item(File1, "N2", &TForm1::Action1Execute);
    // The recent projects and the read history, filled whenever they open.
    const auto open = [this](const QString& fileName) {
        projects_.setProposedName(fileName);
        openProjectFile(fileName);
    };
    Recent1 = File1->addMenu(QString());
    Recent1->setObjectName(QStringLiteral("Recent1"));
    connect(Recent1, &QMenu::aboutToShow, this,
            [this, open] { FillRecentMenu(*Recent1, state_.Lang.load(), open); });
    History1 = File1->addMenu(QString());
    History1->setObjectName(QStringLiteral("History1"));
    connect(History1, &QMenu::aboutToShow, this, [this, open] {
        FillHistoryMenu(*History1, history_, state_.Lang.load(), open, [this](const QUrl& folder) {
            if (showFolder_) showFolder_(folder);
        });
    });
    File1->addSeparator()->setObjectName(QStringLiteral("N9"));
    Print1 = item(File1, "Print1", &TForm1::Print1Click);
    File1->addSeparator()->setObjectName(QStringLiteral("N8"));
    Exit1 = item(File1, "Exit1", &TForm1::Exit1Click);
    picturesOnFirstShow(File1, {{Save1, MenuIcons::Sheet},
                                {N1, MenuIcons::Disk},
                                {N2, MenuIcons::Folder},
                                {Print1, MenuIcons::Printer},
                                {Exit1, MenuIcons::Exit}});

    Edit1 = menuBar()->addMenu(QString());
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Copy1 = item(Edit1, "Copy1", &TForm1::Copy1Click);
    Copy2 = item(Edit1, "Copy2", &TForm1::Copy2Click);
    Copy3 = item(Edit1, "Copy3", &TForm1::Copy3Click);
    picturesOnFirstShow(
        Edit1, {{Copy1, MenuIcons::WholeTable}, {Copy2, MenuIcons::Block}, {Copy3, MenuIcons::Device}});

    // The survey analysis: an item of the menu bar itself, between Edit and Language.
    Analysis1 = menuBar()->addAction(QString());
    Analysis1->setObjectName(QStringLiteral("Analysis1"));
    connect(Analysis1, &QAction::triggered, this, &TForm1::Analysis1Click);

    Language1 = menuBar()->addMenu(MainText::Language1);
    Language1->setObjectName(QStringLiteral("Language1"));
    Lang0 = item(Language1, "Lang0", &TForm1::Lang0Click);
    Lang0->setText(MainText::Lang0);
    Lang0->setCheckable(true);
    Lang1 = item(Language1, "Lang1", &TForm1::Lang1Click);
    Lang1->setText(MainText::Lang1);
    Lang1->setCheckable(true);

    Help1 = menuBar()->addMenu(QString());
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = item(Help1, "Contents1", &TForm1::Contents1Click);
    About1 = item(Help1, "About1", &TForm1::About1Click);
    picturesOnFirstShow(Help1, {{Contents1, MenuIcons::Help}, {About1, MenuIcons::Info}});
}

void TForm1::applyTexts()
{
    using namespace MainText;
    setWindowTitle(state_.tr(Caption));
    StringGrid1->setAccessibleName(state_.tr(WindowText::ArchiveTable));
    File1->setTitle(state_.tr(MainText::File1));
    Save1->setText(state_.tr(MainText::Save1));
    N1->setText(state_.tr(MainText::N1));
    N2->setText(state_.tr(MainText::N2));
    Recent1->setTitle(state_.tr(HistoryText::RecentProjects));
    History1->setTitle(state_.tr(HistoryText::ReadHistory));
    Print1->setText(state_.tr(MainText::Print1));
    Exit1->setText(state_.tr(MainText::Exit1));
    Edit1->setTitle(state_.tr(MainText::Edit1));
    Copy1->setText(state_.tr(MainText::Copy1));
    Copy2->setText(state_.tr(MainText::Copy2));
    Copy3->setText(state_.tr(MainText::Copy3));
    Help1->setTitle(state_.tr(MainText::Help1));
    Contents1->setText(state_.tr(MainText::Contents1));
    About1->setText(state_.tr(MainText::About1));
    Analysis1->setText(state_.tr(AnalysisText::MenuItem));
    Button1->setText(state_.tr(MainText::Button1));
    Button2->setText(state_.tr(MainText::Button2));
    Button3->setText(state_.tr(MainText::Button3));
    model_->setHeader(state_.Lang.load());
    gridWatch_->updateCorner();
}

void TForm1::switchLanguage(int lang)
{
    state_.Lang = uint8_t(lang);
    Lang0->setChecked(lang == 0);
    Lang1->setChecked(!Lang0->isChecked());
    applyTexts();
}

void TForm1::Lang0Click() { switchLanguage(0); }
void TForm1::Lang1Click() { switchLanguage(1); }

void TForm1::layoutControls()
{
    const int w = central_->width();
    const int h = central_->height();
    const auto px = [this](int design) { return int(std::lround(design * scale_)); };
    const int designWidth = px(kClientWidth);
    Button1->setGeometry(px(kButtonX[0]), 0, px(kButtonWidth), px(kButtonHeight));
    // Button2 keeps its place relative to the middle, Button3 to the right edge.
    Button2->setGeometry(px(kButtonX[1]) + (w - designWidth) / 2, 0, px(kButtonWidth), px(kButtonHeight));
    Button3->setGeometry(w - (designWidth - px(kButtonX[2])), 0, px(kButtonWidth), px(kButtonHeight));
    StringGrid1->setGeometry(0, px(kGridTop), w, std::max(0, h - px(kGridTop)));
}

QString TForm1::statusHint() const { return StatusText->text(); }

GridHit TForm1::hitTest(QPoint global) const { return gridWatch_->hitTest(global); }

void TForm1::Timer1Timer()
{
    const QPoint pos = QCursor::pos();
    const QString hint =
        frameGeometry().contains(pos) ? gridWatch_->hintAt(pos, state_.Lang.load()) : QString();
    if (StatusText->text() != hint) StatusText->setText(hint);
}

void TForm1::StringGrid1MouseUp(Qt::MouseButton button, QPoint global)
{
    if (button != Qt::LeftButton) return;
    const GridHit hit = hitTest(global);
    if (hit.part != GridPart::Header || hit.column < 0) return;
    // One direction serves every column and flips on every heading click, even when there
    // is nothing to sort.
    sortDirection_ = sortDirection_ == 1 ? -1 : 1;
    if (!HasArchiveRows(table())) return;
    if (const auto error = model_->sortByColumn(hit.column, sortDirection_))
        ErrorBox(state_, MainText::Error, error->text);
}

bool TForm1::StringGrid1KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_C || !(modifiers & Qt::ControlModifier)) return false;
    // A single selected cell (or only the focused one) stands for the whole table.
    if (selectedBlock().isSingleCell())
        ACopyTableExecute();
    else
        ACopyBlockTableExecute();
    return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == central_ && event->type() == QEvent::Resize) {
        layoutControls();
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == corner_ || watched == StringGrid1->viewport() ||
         watched == StringGrid1->horizontalHeader()->viewport() ||
         watched == StringGrid1->verticalHeader()->viewport())) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        StringGrid1MouseUp(mouse->button(), mouse->globalPosition().toPoint());
        return watched == corner_;
    }
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return StringGrid1KeyDown(key->key(), key->modifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Button1Click()
{
    // While the progress window shows, this button waits like the others. The starter refuses
    // by itself while another exchange runs, and shows the progress window again when the
    // user had closed it during a read.
    Button1->setEnabled(false);
    StartArchiveRead(state_, this, model_, [this] { keepRead(); });
    updateExchangeButtons();
}

void TForm1::updateExchangeButtons()
{
    const bool running = state_.activity.isRunning();
    // A read whose progress window was closed keeps this button, the way back to its Cancel.
    Button1->setEnabled(!running || ArchiveReadWindowClosed());
    Button2->setEnabled(!running);
}

void TForm1::Button2Click() { TForm3::Execute(state_, this); }

void TForm1::Button3Click()
{
    if (sortedForSurfaces()) ShowDiagramWindow();
}

bool TForm1::sortedForSurfaces()
{
    if (!HasArchiveRows(table())) {
        ErrorBox(state_, MainText::Warning, state_.tr(MainText::ArchiveNotRead));
        return false;
    }
    // The diagram reads the rows in archive order; the user's sort direction is kept.
    if (const auto error = model_->sortByColumn(0, 1)) {
        ErrorBox(state_, MainText::Error, error->text);
        return false;
    }
    if (table().cell(4, 1).isEmpty()) {
        ErrorBox(state_, MainText::Warning, state_.tr(MainText::ArchiveNotRead));
        return false;
    }
    return true;
}

void TForm1::ShowDiagramWindow()
{
    TForm4 form(table(), state_.Lang.load(), this);
    if (const auto& error = form.buildError()) {
        // Say which cell stopped the diagram instead of leaving the button without effect;
        // the column by the heading the grid shows.
        QString heading = table().cell(error->column, 0).trimmed();
        if (heading.isEmpty()) heading = HeaderText(error->column, state_.Lang.load());
        ErrorBox(state_, MainText::Error, InvalidCellMessage(*error, heading, state_.Lang.load()));
        return;
    }
    form.exec();
}

void TForm1::Analysis1Click()
{
    // The analysis reads the same surfaces as the diagram, so it passes the same checks.
    if (sortedForSurfaces()) OpenAnalysisWindow(this, table(), state_.Lang.load(), projectPath_);
}

void TForm1::Save1Click() { SaveTableToSpreadsheet(this, table(), state_.Lang.load()); }
void TForm1::Print1Click() { OpenReportPreview(this, table(), state_); }
void TForm1::Copy1Click() { ACopyTableExecute(); }
void TForm1::Copy2Click() { ACopyBlockTableExecute(); }
void TForm1::Copy3Click()
{
    // A new window every time, in the language in force now.
    auto* form = new TForm5(state_, this);
    form->exec();
    form->deleteLater();
}

void TForm1::Contents1Click() { THelpWindow::Open(this, state_.Lang.load()); }

void TForm1::About1Click()
{
    auto* box = new TAboutBox(state_.Lang.load(), this);
    box->setAttribute(Qt::WA_DeleteOnClose); // released as soon as it closes
    box->exec();
}

void TForm1::ACopyTableExecute() { CopyTableToClipboard(table(), state_.Lang.load()); }

void TForm1::ACopyBlockTableExecute() { CopyBlockToClipboard(table(), selectedBlock(), state_.Lang.load()); }

CellBlock TForm1::selectedBlock() const
{
    // Model rows are table rows 1..; model columns are the table's. Without a selection the
    // focused cell is the block, as the grid draws it selected.
    CellBlock block{1, 1, 1, 1};
    const QItemSelection selection = StringGrid1->selectionModel()->selection();
    if (!selection.isEmpty()) {
        block = {INT_MAX, -1, INT_MAX, -1};
        for (const QItemSelectionRange& range : selection) {
            block.top = std::min(block.top, range.top() + 1);
            block.bottom = std::max(block.bottom, range.bottom() + 1);
            block.left = std::min(block.left, range.left());
            block.right = std::max(block.right, range.right());
        }
    } else if (const QModelIndex current = StringGrid1->currentIndex(); current.isValid()) {
        block = {current.row() + 1, current.row() + 1, current.column(), current.column()};
    }
    return block;
}

void TForm1::Exit1Click() { close(); }

void TForm1::N1Click()
{
    if (const auto fileName = projects_.save(table(), state_.Lang.load())) projectPath_ = *fileName;
}

void TForm1::Action1Execute()
{
    const auto fileName = projects_.choose();
    if (!fileName) {
        state_.RecordCount = uint32_t(std::max(table().rowCount() - 1, 0));
        return;
    }
    openProjectFile(*fileName);
}

void TForm1::OpenFromCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty()) return;
    projects_.setProposedName(ProjectNameFromArguments(arguments));
    openProjectFile(projects_.proposedName());
}

bool TForm1::openProjectFile(const QString& fileName)
{
    auto opened = projects_.open(fileName, history_.folder(), state_.Lang.load());
    if (!opened) return false;
    model_->replaceTable(std::move(*opened));
    projectPath_ = fileName;
    state_.RecordCount = uint32_t(table().rowCount() - 1);
    return true;
}

void TForm1::keepRead()
{
    // The table is the instrument's now, no longer the project's: survey records made from it
    // must not land beside the project opened before.
    projectPath_.clear();
    // The table is on screen already: whatever happens to its copy, the read stays.
    QString why;
    if (!history_.keep(table(), QDateTime::currentDateTime(), &why))
        statusBar()->showMessage(state_.tr(HistoryText::KeepFailed).arg(why), 30000);
}

// A drop takes one project file and opens it as the open command does; anything else is
// refused before it is dropped.
void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedProject(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedProject(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString fileName = DroppedProject(*event->mimeData());
    if (fileName.isEmpty()) return;
    event->acceptProposedAction();
    projects_.setProposedName(fileName);
    // The error box of a file that is no project must not hold the dragging program.
    QTimer::singleShot(0, this, [this, fileName] { openProjectFile(fileName); });
}
