#include "Unit3.h"

#include "app/SharedState.h"
#include "settings/SettingsColumns.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"
#include "ui/ErrorBox.h"
#include "ui/ExchangeStarters.h"
#include "ui/WindowPlace.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace {

// Design pixels (120 dpi, see DesignScale).
constexpr int kClientWidth = 1808;
constexpr int kClientHeight = 545;
constexpr std::array<int, 9> kColumnWidths = {20, 109, 289, 304, 339, 341, 177, 97, 83};
constexpr int kRowHeight = 20;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 200;
constexpr int kButtonHeight = 31;
constexpr int kGaugeHeight = 21;
constexpr int kTableRows = kSettingsObjects + 1;

bool IsFixed(int row, int column) { return row < 1 || column < 1; }

// The in-place editor of the table: a plain line edit whose keys and text changes go to the
// window's checks before the usual editing sees them.
class CellDelegate final : public QStyledItemDelegate {
public:
    explicit CellDelegate(TForm3* form) : QStyledItemDelegate(form), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        if (IsFixed(index.row(), index.column())) return nullptr;
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (index.column() == ColName) editor->setMaxLength(kNameLength);
        const int row = index.row(), column = index.column();
        // Only the user's edits: filling the editor from the cell must not be judged.
        connect(editor, &QLineEdit::textEdited, form_,
                [form = form_, editor, row, column](const QString& text) {
                    form->StringGrid1SetEditText(column, row, editor, text);
                });
        form_->editorOpened(editor);
        return editor;
    }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            if (auto* editor = qobject_cast<QLineEdit*>(object))
                if (form_->editorKeyPress(editor, static_cast<QKeyEvent*>(event))) return true;
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TForm3* form_;
};

} // namespace

TForm3::TForm3(SharedState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      state_(state)
{
    setObjectName(QStringLiteral("Form3"));
    const int lang = state_.Lang.load();
    DesignScale design(*this);
    setFont(design.font());
    setWindowTitle(state_.tr(SettingsText::Caption));

    StringGrid1 = new QTableWidget(kTableRows, kSettingsColumns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(state_.tr(SettingsText::Caption));
    StringGrid1->setItemDelegate(new CellDelegate(this));
    // Row 0 and column 0 are the grid's own fixed cells: the worker fills the table by these
    // numbers, so the view's separate headers stay unused.
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    // No editing on a second click: its double-click wait would swallow the first keys typed.
    StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    StringGrid1->setTabKeyNavigation(true);

    const int rowHeight = std::max(design.px(kRowHeight), QFontMetrics(design.font()).height() + 4);
    QHeaderView* rows = StringGrid1->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(rowHeight);
    rows->setDefaultSectionSize(rowHeight);
    // The headings on one line where the screen has room for them; otherwise wrapped onto two
    // lines, so that the columns narrow rather than the table running off the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int frame = 2 * StringGrid1->frameWidth();
    const int room =
        screen ? screen->availableGeometry().width() - 2 * design.px(kMargin) - frame - 8 : 1 << 20;
    const SettingsColumns columns =
        FitSettingsColumns([&](int c) { return SettingsHeaderText(c, lang); },
                           [&](const QString& text) { return design.textWidth(text); },
                           [&](int c) {
                               // The view's header will not make a column narrower than its smallest section.
                               return std::max(design.px(kColumnWidths[std::size_t(c)]),
                                               StringGrid1->horizontalHeader()->minimumSectionSize());
                           },
                           room);
    int gridWidth = 0;
    for (int c = 0; c < kSettingsColumns; ++c) {
        StringGrid1->setColumnWidth(c, columns.widths[std::size_t(c)]);
        gridWidth += columns.widths[std::size_t(c)];
    }
    if (columns.lines > 1) {
        StringGrid1->setWordWrap(true);
        StringGrid1->setRowHeight(0, rowHeight +
                                         (columns.lines - 1) * QFontMetrics(design.font()).lineSpacing());
    }
    // The headings are the table's own column headers too, which is what a screen reader names
    // a cell by; the view's header stays hidden because row 0 draws them.
    QStringList headings, numbers;
    for (int c = 0; c < kSettingsColumns; ++c) headings << SettingsHeaderText(c, lang);
    for (int r = 0; r < kTableRows; ++r) numbers << (r ? QString::number(r) : QString());
    StringGrid1->setHorizontalHeaderLabels(headings);
    StringGrid1->setVerticalHeaderLabels(numbers);

    const QPalette palette = StringGrid1->palette();
    for (int r = 0; r < kTableRows; ++r) {
        for (int c = 0; c < kSettingsColumns; ++c) {
            auto* item = new QTableWidgetItem(r == 0 ? SettingsHeaderText(c, lang) : QString());
            if (IsFixed(r, c)) {
                // Never current, never selected, drawn like a heading.
                item->setFlags(Qt::NoItemFlags);
                item->setBackground(palette.button());
                item->setForeground(palette.buttonText());
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            }
            StringGrid1->setItem(r, c, item);
        }
    }
    StringGrid1->setCurrentCell(1, 1);
    StringGrid1->installEventFilter(this);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row >= 1 && column >= 1) StringGrid1SelectCell(column, row);
    });

    Button1 = new QPushButton(state_.tr(SettingsText::Button1), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button1->setMinimumSize(std::max(design.px(kButtonWidth), Button1->sizeHint().width()),
                            design.px(kButtonHeight));
    Button1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);

    CGauge1 = new QProgressBar(this);
    CGauge1->setObjectName(QStringLiteral("CGauge1"));
    CGauge1->setRange(0, 100);
    CGauge1->setValue(0);
    CGauge1->setTextVisible(false);
    CGauge1->setFixedHeight(design.px(kGaugeHeight));
    QPalette navy = CGauge1->palette();
    navy.setColor(QPalette::Highlight, QColor(0, 0, 128));
    CGauge1->setPalette(navy);
    // The worker hides the gauge at the end; the button keeps its size and place then.
    QSizePolicy keep = CGauge1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    CGauge1->setSizePolicy(keep);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setMinimumHeight(rowHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(design.px(kMargin), design.px(kMargin), design.px(kMargin),
                               design.px(kMargin));
    layout->setSpacing(design.px(6));
    layout->addWidget(StringGrid1, 1);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(design.px(12));
    controls->addWidget(Button1);
    controls->addWidget(CGauge1, 1);
    layout->addLayout(controls);
    layout->addWidget(Label1);
    CGauge1->show();

    // "Load into the device" waits while any exchange runs, this window's read included. The
    // activity signals from the worker's side, so the state is read again when it arrives.
    connect(&state_.activity, &ExchangeActivity::runningChanged, this, &TForm3::updateLoadButton,
            Qt::QueuedConnection);
    updateLoadButton();

    // The design size, or more where the columns had to widen, so that the whole table shows
    // without scrolling; on a screen too small for that, the screen's size and scroll bars.
    StringGrid1->setMinimumSize(std::max(gridWidth, StringGrid1->horizontalHeader()->length()) + frame,
                                std::max(kTableRows * rowHeight, rows->length()) + frame);
    QSize size = minimumSizeHint().expandedTo(
        QSize(columns.lines > 1 ? gridWidth + frame + 2 * design.px(kMargin) : design.px(kClientWidth),
              design.px(kClientHeight)));
    const QSize fits =
        FittedGeometry(size, {}, screen ? screen->availableGeometry() : QRect(QPoint(), size)).size();
    if (size.width() > fits.width() || size.height() > fits.height()) {
        StringGrid1->setMinimumSize(0, 0);
        // Room for the scroll bar the narrower table gets, so that the rows still fit.
        if (size.width() > fits.width()) size.rheight() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    PlaceWindow(*this, size);
}

void TForm3::Execute(SharedState& state, QWidget* owner)
{
    TForm3 form(state, owner);
    form.StartRead();
    form.exec();
}

void TForm3::editorOpened(QLineEdit* editor) { editor_ = editor; }

void TForm3::updateLoadButton() { Button1->setEnabled(!state_.activity.isRunning()); }

void TForm3::StartRead()
{
    StartSettingsRead(state_, CGauge1, Label1, StringGrid1);
    updateLoadButton();
}

QString TForm3::cell(int row, int column) const
{
    const QTableWidgetItem* item = StringGrid1->item(row, column);
    return item ? item->text() : QString();
}

void TForm3::setCell(int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = StringGrid1->item(row, column))
        item->setText(text);
    else
        StringGrid1->setItem(row, column, new QTableWidgetItem(text));
}

void TForm3::warn(const QString& text) { ShowErrorBox(state_.tr(MainText::Warning), text); }

void TForm3::warnLater(const QString& text)
{
    // The box takes the focus, which closes the editor the check came from; shown from here it
    // would close it while the editor is still handling the key.
    QMetaObject::invokeMethod(
        this, [this, text] { warn(text); }, Qt::QueuedConnection);
}

bool TForm3::StringGrid1KeyPress(QChar key)
{
    if (KeepsTypedChar(StringGrid1->currentColumn(), key)) return true;
    warnLater(state_.tr(SettingsText::DigitsOnly));
    return false;
}

bool TForm3::filterTypedKey(QKeyEvent* event)
{
    // Only typed characters are judged: shortcuts and editing keys (Delete is a control
    // character too) keep working.
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    const QString text = event->text();
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) continue;
        if (!StringGrid1KeyPress(c)) return true;
    }
    if (StringGrid1->currentColumn() == ColName) {
        QString removed;
        if (StorableName(text, &removed) != text) {
            Label1->setText(state_.tr(SettingsText::NameCharUnstorable).arg(removed));
            return true;
        }
    }
    return false;
}

bool TForm3::editorKeyPress(QLineEdit* editor, QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QAbstractItemDelegate* delegate = StringGrid1->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveDown();
        return true;
    }
    return filterTypedKey(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            moveDown();
            return true;
        }
        if (filterTypedKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm3::moveDown()
{
    const int row = StringGrid1->currentRow();
    const int column = StringGrid1->currentColumn();
    if (row < 1 || column < 1) return;
    StringGrid1->setCurrentCell(row >= kSettingsObjects ? 1 : row + 1, column);
}

void TForm3::StringGrid1SetEditText(int column, int row, QLineEdit* editor, const QString& text)
{
    if (column == ColName) {
        // A pasted name may bring characters the instrument cannot store.
        QString removed;
        const QString kept = StorableName(text, &removed);
        if (kept == text) return;
        const int cursor = editor->cursorPosition() - int(text.size() - kept.size());
        editor->setText(kept);
        editor->setCursorPosition(std::max(0, cursor));
        Label1->setText(state_.tr(SettingsText::NameCharUnstorable).arg(removed));
        return;
    }
    const RangeMessage message = CheckEditText(column, text);
    if (message == RangeMessage::None) return;
    editor->clear();
    setCell(row, column, QString());
    warnLater(RangeMessageText(message, state_.Lang.load()));
}

void TForm3::StringGrid1SelectCell(int column, int row)
{
    Q_UNUSED(row);
    if (column == ColStepX || column == ColStepY) checkStepColumn(column);
}

void TForm3::checkStepColumn(int column)
{
    SettingsColumnTexts texts;
    for (int r = 1; r <= kSettingsObjects; ++r) texts[std::size_t(r - 1)] = cell(r, column);
    const QString message =
        RangeMessageText(column == ColStepX ? RangeMessage::StepX : RangeMessage::StepY, state_.Lang.load());
    for (int row : StepRowsNotMultipleOf10(texts)) {
        warn(message);
        setCell(row, column, QStringLiteral("10"));
    }
}

void TForm3::commitEditor()
{
    if (!editor_ || !editor_->isVisible()) return;
    QAbstractItemDelegate* delegate = StringGrid1->itemDelegate();
    emit delegate->commitData(editor_);
    emit delegate->closeEditor(editor_, QAbstractItemDelegate::NoHint);
}

void TForm3::Button1Click()
{
    commitEditor();
    SettingsTexts texts;
    for (int r = 1; r <= kSettingsObjects; ++r)
        for (int c = 0; c < kSettingsColumns; ++c) texts[std::size_t(r - 1)][std::size_t(c)] = cell(r, c);
    const SendVerdict verdict = CheckBeforeSend(texts);
    switch (verdict.kind) {
    case SendVerdict::CrossedPair:
        setCell(verdict.row, verdict.column, QString());
        setCell(verdict.row, verdict.column + 1, QString());
        warn(state_.tr(SettingsText::LowerAboveUpper));
        return;
    case SendVerdict::InvalidCell:
        warn(ExchangeText::InvalidValueText(verdict.row, verdict.column, state_.Lang.load()));
        StringGrid1->setCurrentCell(verdict.row, verdict.column);
        return;
    case SendVerdict::StepsNotMultipleOf10:
        for (int column : verdict.stepColumns) checkStepColumn(column);
        return;
    case SendVerdict::OutOfRange: {
        const RangeMessage message = verdict.column == ColSeries  ? RangeMessage::Series
                                     : verdict.column == ColStepX ? RangeMessage::StepX
                                                                  : RangeMessage::StepY;
        warn(RangeMessageText(message, state_.Lang.load()));
        StringGrid1->setCurrentCell(verdict.row, verdict.column);
        return;
    }
    case SendVerdict::Send: break;
    }
    // The rows are taken now; the table stays editable, and what is typed from here on goes
    // with the next load.
    // The gauge stays in sight and the button disabled until the send ends; the status line
    // carries the worker's texts (a missing instrument among them).
    StartSettingsWrite(state_, CGauge1, Label1, StringGrid1);
    updateLoadButton();
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    // The table is the only copy of unsent edits: Escape cancels a cell edit (in the editor)
    // and never closes the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
