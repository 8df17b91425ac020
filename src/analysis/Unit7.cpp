#include "Unit7.h"

#include "ChartPainter.h"
#include "SurveyCsv.h"
#include "SurveyFigures.h"
#include "SurveyReport.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "exchange/SyncedSave.h"
#include "exchange/print/PrintModule.h"
#include "texts/AnalysisTexts.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"
#include "ui/WindowPlace.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const char* const kElectrodeKey = "analysis/electrode";

void ErrorBox(const QString& text) { ShowErrorBox(Tr(MainText::Error), text); }

// A label for `control`, whose accessible name becomes the label's text.
QLabel* LabelFor(QWidget* parent, const char* name, const TextPair& text, QWidget* control)
{
    auto* label = new QLabel(Tr(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(control);
    control->setAccessibleName(Tr(text));
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const TextPair& text)
{
    auto* b = new QPushButton(Tr(text), parent);
    b->setObjectName(QLatin1String(name));
    // Enter in a typed field takes its value; it must not also press a button (the thresholds'
    // reset would undo what was just typed).
    b->setAutoDefault(false);
    b->setAccessibleName(Tr(text));
    return b;
}

} // namespace

TMapView::TMapView(const ArchiveTable& table, QWidget* parent) : QWidget(parent), table_(table)
{
    setMouseTracking(true);
    setMinimumSize(420, 360);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMapView::setMap(std::unique_ptr<SurveyMap> map)
{
    map_ = std::move(map);
    // The legend is drawn; a screen reader gets its texts here.
    QStringList legend;
    if (map_) {
        legend << map_->legendTitle();
        for (const LegendEntry& e : map_->legend()) legend << e.text;
    }
    setAccessibleName(legend.value(0));
    setAccessibleDescription(legend.join(QLatin1Char('\n')));
    update();
}

QString TMapView::hoverText(QPoint pos) const
{
    if (!map_) return QString();
    QStringList lines;
    for (int row : map_->rowsAt(mapArea(), QPointF(pos))) {
        if (!lines.isEmpty()) lines << QString();
        for (int c = 0; c < table_.columnCount(); ++c) {
            const QString text = table_.cell(c, row).trimmed();
            if (!text.isEmpty()) lines << table_.cell(c, 0).trimmed() + QStringLiteral(": ") + text;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QRectF TMapView::mapArea() const { return QRectF(rect()).adjusted(4, 4, -4, -4); }

void TMapView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (map_) map_->paint(p, mapArea());
}

void TMapView::mouseMoveEvent(QMouseEvent* event)
{
    const QString text = map_ ? hoverText(event->position().toPoint()) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void TChartView::setObject(const SurveyObject* object, const PotentialThresholds& thresholds, int lang)
{
    object_ = object;
    thresholds_ = thresholds;
    lang_ = lang;
    update();
}

QRectF TChartView::chartArea() const { return QRectF(rect()).adjusted(2, 2, -2, -2); }

double TChartView::thresholdX(int which) const
{
    if (kind_ != 1 || !object_ || object_->sensor != SensorKind::Potential) return -1;
    const ValueAxis axis = CumulativeAxis(chartArea(), *object_);
    const double v = which == 0 ? thresholds_.upper : thresholds_.lower;
    return v < axis.v0 || v > axis.v1 ? -1 : axis.xOf(v);
}

void TChartView::mousePressEvent(QMouseEvent* event)
{
    dragging_ = -1;
    const double x = event->position().x();
    for (int which = 0; which < 2; ++which) {
        const double at = thresholdX(which);
        if (at >= 0 && std::abs(at - x) <= 6 &&
            (dragging_ < 0 || std::abs(at - x) < std::abs(thresholdX(dragging_) - x)))
            dragging_ = which;
    }
    if (dragging_ < 0) QWidget::mousePressEvent(event);
}

void TChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ < 0 || !object_) {
        // The pointer shows where a threshold can be taken.
        const double x = event->position().x();
        const bool near = std::abs(thresholdX(0) - x) <= 6 || std::abs(thresholdX(1) - x) <= 6;
        setCursor(near ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    const ValueAxis axis = CumulativeAxis(chartArea(), *object_);
    const double mV = std::round(std::clamp(axis.valueAt(event->position().x()), axis.v0, axis.v1));
    emit thresholdDragged(dragging_, mV);
}

void TChartView::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = -1;
    QWidget::mouseReleaseEvent(event);
}

void TChartView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!object_) return;
    if (kind_ == 0)
        PaintHistogram(p, chartArea(), *object_, thresholds_, lang_);
    else
        PaintCumulative(p, chartArea(), *object_, thresholds_, lang_);
}

TForm7::TForm7(const ArchiveTable& table, const std::vector<RowBlock>& /*blocks*/, QWidget* parent)
    : QDialog(parent), table_(table), objects_(GroupSurveys(table_)), intervals_{50, 0, 0}
{
    namespace AT = AnalysisText;
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(Tr(AT::Caption));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const SurveyObject& o : objects_) {
        auto* item = new QListWidgetItem(ObjectTitle(o, Lang) + QStringLiteral(" (%1)").arg(o.points.size()),
                                         ListBox1);
        item->setData(Qt::AccessibleTextRole, item->text());
        if (o.points.empty()) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const TextPair& e : AT::Electrodes) ComboBox1->addItem(Tr(e));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({Tr(AT::FillClasses), Tr(AT::FillContinuous)});
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({Tr(AT::ViewValues), Tr(AT::ViewCombined)});
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 1000);
    SpinEdit1->setSingleStep(10);
    SpinEdit1->setSpecialValueText(Tr(AT::IntervalNone));
    SpinEdit2 = new QSpinBox(this);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit3 = new QSpinBox(this);
    SpinEdit3->setObjectName(QStringLiteral("SpinEdit3"));
    for (QSpinBox* box : {SpinEdit2, SpinEdit3}) {
        box->setRange(-1500, 500);
        box->setSingleStep(5);
        box->setKeyboardTracking(false);
    }
    Button5 = Button(this, "Button5", AT::ThresholdsReset);
    Label7 = new QLabel(this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setWordWrap(true);
    ComboBox4 = new QComboBox(this);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->addItems({Tr(AT::AlignByNumber), Tr(AT::AlignByOrder)});
    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setWordWrap(true);
    Button1 = Button(this, "Button1", AT::SaveMap);
    Button2 = Button(this, "Button2", AT::CopyStatistics);
    Button3 = Button(this, "Button3", AT::Report);
    Button4 = Button(this, "Button4", AT::ReportPdf);
    ComboBox5 = new QComboBox(this);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    for (int u = 0; u < kLengthUnitCount; ++u) ComboBox5->addItem(UnitText(LengthUnit(u), Lang));
    ComboBox5->setCurrentIndex(int(LengthUnit::Centimetre));
    const std::pair<QCheckBox**, std::pair<const char*, const TextPair*>> boxes[] = {
        {&CheckBox1, {"CheckBox1", &AT::FlipX}},
        {&CheckBox2, {"CheckBox2", &AT::FlipY}},
        {&CheckBox3, {"CheckBox3", &AT::Turn90}},
        {&CheckBox4, {"CheckBox4", &AT::IntervalAutomatic}},
        {&CheckBox5, {"CheckBox5", &AT::CommonScale}}};
    for (const auto& [box, what] : boxes) {
        *box = new QCheckBox(Tr(*what.second), this);
        (*box)->setObjectName(QLatin1String(what.first));
    }
    Button6 = Button(this, "Button6", AT::RecordButton);
    Button7 = Button(this, "Button7", AT::CsvButton);
    Label12 = new QLabel(this);
    Label12->setObjectName(QStringLiteral("Label12"));
    Label12->setWordWrap(true);
    Label12->setStyleSheet(QStringLiteral("color: #a00000"));
    Label12->hide();

    MapView1 = new TMapView(table_, this);
    MapView1->setObjectName(QStringLiteral("MapView1"));
    Label6 = new QLabel(Tr(AT::Statistics), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(Tr(AT::Statistics));
    StringGrid1->setToolTip(Tr(AT::PercentileRule));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    StringGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    StringGrid1->setShowGrid(false);
    StringGrid1->setAlternatingRowColors(true);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    Chart1 = new TChartView(0, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setAccessibleName(Tr(AT::Histogram));
    Chart2 = new TChartView(1, this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->setAccessibleName(Tr(AT::Cumulative));

    auto* left = new QVBoxLayout;
    left->addWidget(LabelFor(this, "Label1", AT::Objects, ListBox1));
    left->addWidget(ListBox1, 1);
    left->addWidget(LabelFor(this, "Label2", AT::Electrode, ComboBox1));
    left->addWidget(ComboBox1);
    left->addWidget(LabelFor(this, "Label3", AT::Fill, ComboBox2));
    left->addWidget(ComboBox2);
    left->addWidget(LabelFor(this, "Label4", AT::View, ComboBox3));
    left->addWidget(ComboBox3);
    left->addWidget(LabelFor(this, "Label5", AT::Interval, SpinEdit1));
    left->addWidget(SpinEdit1);
    left->addWidget(CheckBox4);
    left->addWidget(CheckBox5);
    left->addWidget(LabelFor(this, "Label13", AT::LengthUnitLabel, ComboBox5));
    left->addWidget(ComboBox5);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3}) left->addWidget(b);
    left->addWidget(LabelFor(this, "Label9", AT::ThresholdUpper, SpinEdit2));
    left->addWidget(SpinEdit2);
    left->addWidget(LabelFor(this, "Label10", AT::ThresholdLower, SpinEdit3));
    left->addWidget(SpinEdit3);
    left->addWidget(Label7);
    left->addWidget(Button5);
    left->addWidget(LabelFor(this, "Label11", AT::Alignment, ComboBox4));
    left->addWidget(ComboBox4);
    left->addWidget(Label8);
    left->addSpacing(10);
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button6, Button7}) left->addWidget(b);
    left->addWidget(Label12);
    auto* leftInner = new QWidget;
    leftInner->setLayout(left);
    // The controls scroll where the screen is too low for all of them.
    auto* leftBox = new QScrollArea(this);
    leftBox->setObjectName(QStringLiteral("ScrollBox1"));
    leftBox->setWidget(leftInner);
    leftBox->setWidgetResizable(true);
    leftBox->setFrameShape(QFrame::NoFrame);
    leftBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As wide as its widest control needs (long Russian check box texts), at least 250 pixels.
    leftBox->setFixedWidth(std::max(250, leftInner->minimumSizeHint().width()) +
                           leftBox->verticalScrollBar()->sizeHint().width());
    ListBox1->setMinimumHeight(120);

    auto* right = new QVBoxLayout;
    right->addWidget(Label6);
    right->addWidget(StringGrid1, 0);
    right->addWidget(Chart1, 1);
    right->addWidget(Chart2, 1);
    auto* rightBox = new QWidget(this);
    rightBox->setLayout(right);
    rightBox->setFixedWidth(360);

    auto* main = new QHBoxLayout(this);
    main->addWidget(leftBox);
    main->addWidget(MapView1, 1);
    main->addWidget(rightBox);
    PlaceWindow(*this, QSize(1320, 820), QStringLiteral("analysis"));

    const int saved = SessionMemory::value(QLatin1String(kElectrodeKey), 0).toInt();
    ComboBox1->setCurrentIndex(saved >= 0 && saved < kElectrodeCount ? saved : 0);

    connect(ListBox1, &QListWidget::currentRowChanged, this, &TForm7::ListBox1Click);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox2Change);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox3Change);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TForm7::SpinEdit1Change);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TForm7::ThresholdEdited);
    connect(SpinEdit3, &QSpinBox::valueChanged, this, &TForm7::ThresholdEdited);
    connect(Button5, &QPushButton::clicked, this, &TForm7::Button5Click);
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox4Change);
    connect(Chart2, &TChartView::thresholdDragged, this, &TForm7::ChartThresholdDragged);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, &TForm7::GeometryChange);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        connect(b, &QCheckBox::toggled, this, &TForm7::GeometryChange);
    connect(Button6, &QPushButton::clicked, this, &TForm7::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm7::Button7Click);

    for (int k = 0; k < int(objects_.size()); ++k)
        if (!objects_[std::size_t(k)].points.empty()) {
            ListBox1->setCurrentRow(k);
            break;
        }
    refresh();
}

TForm7::~TForm7() = default;

int TForm7::currentObject() const
{
    const int row = ListBox1->currentRow();
    return row >= 0 && row < int(objects_.size()) && !objects_[std::size_t(row)].points.empty() ? row : -1;
}

Electrode TForm7::electrode() const { return ::Electrode(std::max(0, ComboBox1->currentIndex())); }

ThresholdsInForce TForm7::thresholds() const
{
    if (ownThresholds_) return EngineerThresholds(electrode(), ownThresholds_->upper, ownThresholds_->lower);
    return StandardThresholds(electrode());
}

SeriesAlignment TForm7::alignment() const { return SeriesAlignment(std::max(0, ComboBox4->currentIndex())); }

MapOptions TForm7::mapOptions() const
{
    MapOptions o;
    o.electrode = electrode();
    if (ownThresholds_) o.thresholds = thresholds().values;
    o.alignment = alignment();
    o.fill = FillMode(std::max(0, ComboBox2->currentIndex()));
    o.interval = SpinEdit1->value();
    o.autoInterval = CheckBox4->isChecked();
    // One continuous scale over every survey of the selected one's sensor, so that maps compare.
    const int k = currentObject();
    if (CheckBox5->isChecked() && k >= 0) {
        const SensorKind sensor = objects_[std::size_t(k)].sensor;
        std::optional<std::pair<double, double>> range;
        for (const SurveyObject& s : objects_)
            if (s.sensor == sensor)
                for (const SurveyPoint& p : s.points)
                    range = range
                                ? std::pair{std::min(range->first, p.value), std::max(range->second, p.value)}
                                : std::pair{p.value, p.value};
        o.commonRange = range;
    }
    o.length = LengthUnit(std::max(0, ComboBox5->currentIndex()));
    o.orientation = {CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked()};
    o.combined = ComboBox3->currentIndex() == 1;
    o.lang = Lang;
    return o;
}

void TForm7::refresh()
{
    const int k = currentObject();
    const SurveyObject* object = k >= 0 ? &objects_[std::size_t(k)] : nullptr;
    const int partner = PartnerOf(objects_, k);
    {
        const QSignalBlocker block(ComboBox3);
        if (partner < 0) ComboBox3->setCurrentIndex(0);
        ComboBox3->setEnabled(partner >= 0);
    }
    if (object) {
        // The survey is drawn in the unit and orientation of its record, else in the last chosen.
        const auto record = records_.find(SurveyKey(*object));
        const LengthUnit unit = record != records_.end() ? record->second.unit : lastUnit_;
        const Orientation o = record != records_.end() ? record->second.orientation : lastOrientation_;
        const QSignalBlocker b5(ComboBox5), c1(CheckBox1), c2(CheckBox2), c3(CheckBox3);
        ComboBox5->setCurrentIndex(int(unit));
        CheckBox1->setChecked(o.flipX);
        CheckBox2->setChecked(o.flipY);
        CheckBox3->setChecked(o.rotate);
    }
    SpinEdit1->setEnabled(!CheckBox4->isChecked());
    for (QWidget* w :
         std::initializer_list<QWidget*>{ComboBox5, CheckBox1, CheckBox2, CheckBox3, Button6, Button7})
        w->setEnabled(object != nullptr);
    if (object) {
        const QSignalBlocker block(SpinEdit1);
        SpinEdit1->setValue(intervals_[std::size_t(object->sensor)]);
        SpinEdit1->setSuffix(QStringLiteral(" ") + UnitText(object->sensor, Lang));
    }
    // The electrode matters where potentials are classed: a potential survey or the combined view.
    ComboBox1->setEnabled(object &&
                          (object->sensor == SensorKind::Potential || ComboBox3->currentIndex() == 1));
    SpinEdit1->setEnabled(object && ComboBox3->currentIndex() == 0 && !CheckBox4->isChecked());
    const ThresholdsInForce t = thresholds();
    {
        const QSignalBlocker b2(SpinEdit2), b3(SpinEdit3);
        SpinEdit2->setValue(int(std::lround(t.values.upper)));
        SpinEdit3->setValue(int(std::lround(t.values.lower)));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{SpinEdit2, SpinEdit3, Button5})
        w->setEnabled(ComboBox1->isEnabled());
    Button5->setEnabled(ComboBox1->isEnabled() && ownThresholds_.has_value());
    // Resistivity classes have no thresholds to set; the label names their basis instead.
    Label7->setText(object && object->sensor == SensorKind::Resistance
                        ? Tr(AnalysisText::ResistivityBasis)
                        : QString(Tr(AnalysisText::ThresholdSourceLine)).arg(ThresholdSourceText(t, Lang)));
    ComboBox4->setEnabled(partner >= 0);
    Label8->clear();
    if (object && partner >= 0) {
        const SurveyObject& other = objects_[std::size_t(partner)];
        const bool potential = object->sensor == SensorKind::Potential;
        const RiskTally tally = TallyRisk(
            CombineSurveys(potential ? *object : other, potential ? other : *object, t.values, alignment()));
        Label8->setText(
            QString(Tr(AnalysisText::PairedLine)).arg(tally.paired) + QLatin1Char('\n') +
            QString(Tr(AnalysisText::UnpairedLine)).arg(tally.potentialOnly).arg(tally.resistivityOnly) +
            QLatin1Char('\n') + Tr(AnalysisText::HeuristicNote));
    }
    ComboBox2->setEnabled(object && ComboBox3->currentIndex() == 0);
    for (QPushButton* b : {Button1, Button2}) b->setEnabled(object != nullptr);
    MapView1->setMap(
        object ? std::make_unique<SurveyMap>(
                     *object, partner >= 0 ? &objects_[std::size_t(partner)] : nullptr, mapOptions())
               : nullptr);

    StringGrid1->setRowCount(0);
    if (object) {
        const auto rows = StatisticsRows(*object, t.values, Lang);
        StringGrid1->setRowCount(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r) {
            StringGrid1->setItem(r, 0, new QTableWidgetItem(rows[std::size_t(r)].first));
            auto* value = new QTableWidgetItem(rows[std::size_t(r)].second);
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(r, 1, value);
        }
    }
    StringGrid1->setFixedHeight(
        StringGrid1->verticalHeader()->defaultSectionSize() * std::max(1, StringGrid1->rowCount()) + 4);
    Chart1->setObject(object, t.values, Lang);
    Chart2->setObject(object, t.values, Lang);
}

void TForm7::ListBox1Click()
{
    // Each survey pair starts from its own alignment.
    const int k = currentObject();
    const int partner = PartnerOf(objects_, k);
    if (partner >= 0) {
        const SurveyObject& a = objects_[std::size_t(k)];
        const SurveyObject& b = objects_[std::size_t(partner)];
        const bool potential = a.sensor == SensorKind::Potential;
        const QSignalBlocker block(ComboBox4);
        ComboBox4->setCurrentIndex(int(DefaultAlignment(potential ? a : b, potential ? b : a)));
    }
    refresh();
}

void TForm7::ThresholdEdited()
{
    ownThresholds_ = EngineerThresholds(electrode(), SpinEdit2->value(), SpinEdit3->value()).values;
    refresh();
}

void TForm7::ChartThresholdDragged(int which, double mV)
{
    PotentialThresholds t = thresholds().values;
    (which == 0 ? t.upper : t.lower) = mV;
    ownThresholds_ = EngineerThresholds(electrode(), t.upper, t.lower).values;
    refresh();
}

void TForm7::Button5Click()
{
    ownThresholds_.reset();
    refresh();
}

void TForm7::ComboBox4Change() { refresh(); }

void TForm7::ComboBox1Change()
{
    SessionMemory::setValue(QLatin1String(kElectrodeKey), ComboBox1->currentIndex());
    refresh();
}

void TForm7::ComboBox2Change() { refresh(); }
void TForm7::ComboBox3Change() { refresh(); }

void TForm7::SpinEdit1Change()
{
    if (const int k = currentObject(); k >= 0)
        intervals_[std::size_t(objects_[std::size_t(k)].sensor)] = SpinEdit1->value();
    refresh();
}

bool TForm7::writeMap(const QString& fileName)
{
    const SurveyMap* map = MapView1->map();
    if (!map) return false;
    const QSize size(1400, 950);
    const QString title = objects_[std::size_t(currentObject())].name.trimmed();
    if (QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        SvgRequest svg{fileName, size, QRect(QPoint(0, 0), size), title, [&](QPainter& p) {
                           p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
                           map->paint(p, QRectF(10, 10, size.width() - 20, size.height() - 20), 1.4);
                       }};
        return WriteSvg(svg, Lang) && QFileInfo(fileName).size() > 0;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        map->paint(p, QRectF(10, 10, size.width() - 20, size.height() - 20), 1.4);
    }
    return image.save(fileName, "PNG");
}

void TForm7::Button1Click()
{
    if (currentObject() < 0) return;
    QFileDialog dialog(this, QString(Tr(AnalysisText::SaveMap)).remove(QStringLiteral("...")), QString(),
                       Tr(AnalysisText::PngFilter) + QStringLiteral(";;") + Tr(AnalysisText::SvgFilter));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString name = dialog.selectedFiles().first();
    if (QFileInfo(name).suffix().isEmpty())
        name += dialog.selectedNameFilter().contains(QLatin1String("svg")) ? QStringLiteral(".svg")
                                                                           : QStringLiteral(".png");
    if (!writeMap(name)) ErrorBox(Tr(MainText::SaveFailed) + QLatin1Char('\n') + name);
}

void TForm7::Button2Click()
{
    const int k = currentObject();
    if (k < 0) return;
    QApplication::clipboard()->setText(StatisticsTsv(objects_[std::size_t(k)], thresholds(), Lang));
}

void TForm7::paintReport(QPagedPaintDevice& device, const PrintRun& run)
{
    ReportOptions options{mapOptions(), QDateTime::currentDateTime(), records_};
    const int from = run.fromPage > 0 ? run.fromPage : 1;
    const int to = run.toPage > 0 ? run.toPage : INT_MAX;
    PaintSurveyReport(device, table_, objects_, options, from, to);
}

void TForm7::Button3Click()
{
    const QString title =
        Tr(MainText::Caption).trimmed() + QStringLiteral(" — ") + Tr(AnalysisText::ReportTitle);
    PreviewRequest request;
    request.parent = this;
    request.objectName = QStringLiteral("PrintPreview1");
    request.windowTitle = title;
    request.docName = title;
    request.setUp = [](QPagedPaintDevice& device) { SetUpSurveyReportPage(device); };
    request.paint = [this](QPagedPaintDevice& device, const PrintRun& run) { paintReport(device, run); };
    ShowPrintPreview(request, Lang);
}

bool TForm7::writeReportPdf(const QString& fileName)
{
    QPdfWriter writer(fileName);
    if (!writer.pageLayout().isValid()) return false;
    writer.setResolution(300);
    writer.setTitle(Tr(MainText::Caption).trimmed() + QStringLiteral(" — ") + Tr(AnalysisText::ReportTitle));
    writer.setCreator(Tr(MainText::Caption).trimmed());
    SetUpSurveyReportPage(writer);
    ReportOptions options{mapOptions(), QDateTime::currentDateTime(), records_};
    return PaintSurveyReport(writer, table_, objects_, options) > 0;
}

void TForm7::Button4Click()
{
    QFileDialog dialog(this, QString(Tr(AnalysisText::ReportPdf)).remove(QStringLiteral("...")), QString(),
                       Tr(AnalysisText::PdfFilter));
    dialog.setObjectName(QStringLiteral("SaveDialog2"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString name = dialog.selectedFiles().first();
    if (!writeReportPdf(name) || QFileInfo(name).size() == 0)
        ErrorBox(Tr(MainText::SaveFailed) + QLatin1Char('\n') + name);
}

void OpenAnalysisWindow(QWidget* parent, const ArchiveTable& table, const QString& projectPath)
{
    const SurfacesResult built = buildSurfaces(table, Lang.load());
    if (const auto& error = built.error) {
        // The cell that stops the diagram stops the analysis too, named the same way.
        QString heading = table.cell(error->column, 0).trimmed();
        if (heading.isEmpty()) heading = HeaderText(error->column, Lang.load());
        ErrorBox(Tr(DiagramText::InvalidCell).arg(error->row).arg(heading, error->text));
        return;
    }
    TForm7 form(table, BlocksOfSurfaces(built.surfaces), parent);
    form.setProjectPath(projectPath);
    form.exec();
}

void TForm7::setProjectPath(const QString& projectPath)
{
    recordPath_ = RecordFilePath(projectPath);
    RecordsLoad load = LoadRecords(recordPath_);
    records_ = std::move(load.records);
    Label12->setText(load.error.isEmpty() ? QString() : Tr(AnalysisText::RecordDamaged).arg(load.error));
    Label12->setVisible(!load.error.isEmpty());
    refresh();
}

QString TForm7::recordProblem() const { return Label12->isHidden() ? QString() : Label12->text(); }

SurveyRecord TForm7::currentRecord() const
{
    const int k = currentObject();
    SurveyRecord r;
    if (k >= 0) {
        const auto it = records_.find(SurveyKey(objects_[std::size_t(k)]));
        if (it != records_.end()) r = it->second;
    }
    const MapOptions o = mapOptions();
    r.unit = o.length;
    r.orientation = o.orientation;
    return r;
}

bool TForm7::setCurrentRecord(const SurveyRecord& record)
{
    const int k = currentObject();
    if (k < 0) return false;
    records_[SurveyKey(objects_[std::size_t(k)])] = record;
    if (recordPath_.isEmpty()) recordPath_ = RecordFilePath(QString());
    QString why;
    const bool saved = SaveRecords(recordPath_, records_, &why);
    Label12->setText(saved ? QString() : Tr(AnalysisText::RecordNotSaved).arg(why));
    Label12->setVisible(!saved);
    return saved;
}

void TForm7::GeometryChange()
{
    const MapOptions o = mapOptions();
    lastUnit_ = o.length;
    lastOrientation_ = o.orientation;
    // A survey with a record keeps the unit and orientation it is drawn in.
    const int k = currentObject();
    if (k >= 0) {
        const auto it = records_.find(SurveyKey(objects_[std::size_t(k)]));
        if (it != records_.end() &&
            (it->second.unit != o.length || !(it->second.orientation == o.orientation))) {
            SurveyRecord r = it->second;
            r.unit = o.length;
            r.orientation = o.orientation;
            setCurrentRecord(r);
        }
    }
    refresh();
}

void TForm7::Button6Click()
{
    if (currentObject() < 0) return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("RecordDialog"));
    dialog.setWindowTitle(Tr(AnalysisText::RecordTitle));
    auto* form = new QFormLayout;
    SurveyRecord record = currentRecord();
    std::vector<QLineEdit*> edits;
    const auto& fields = RecordFields();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        auto* edit = new QLineEdit(record.*fields[k].member, &dialog);
        edit->setObjectName(QLatin1String(fields[k].key));
        edit->setAccessibleName(Tr(AnalysisText::RecordFieldNames[k]));
        form->addRow(Tr(AnalysisText::RecordFieldNames[k]), edit);
        edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* scroll = new QScrollArea(&dialog);
    auto* inner = new QWidget;
    inner->setLayout(form);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    for (std::size_t k = 0; k < fields.size(); ++k) record.*fields[k].member = edits[k]->text();
    setCurrentRecord(record);
}

bool TForm7::writeCsv(const QString& fileName)
{
    const int k = currentObject();
    if (k < 0) return false;
    const SurveyObject& survey = objects_[std::size_t(k)];
    const MapOptions o = mapOptions();
    const PotentialThresholds t = o.potentialThresholds();
    const auto classOf = [&](double v) -> QString {
        if (survey.sensor == SensorKind::Potential)
            return Tr(AnalysisText::PotentialClassNames[std::size_t(ClassifyPotential(v, t))]);
        if (survey.sensor == SensorKind::Resistance)
            return Tr(AnalysisText::ResistivityClassNames[std::size_t(ClassifyResistivity(v))]);
        return QString();
    };
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(SurveyCsv(survey, o.length, o.orientation, classOf, Lang).toUtf8());
    return CommitSynced(file);
}

void TForm7::Button7Click()
{
    const QString name = QFileDialog::getSaveFileName(this, Tr(AnalysisText::CsvButton), QString(),
                                                      Tr(AnalysisText::CsvFilter));
    if (name.isEmpty()) return;
    if (!writeCsv(name)) ErrorBox(Tr(MainText::SaveFailed) + QLatin1Char('\n') + name);
}
