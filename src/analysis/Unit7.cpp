#include "Unit7.h"

#include "SurveyCsv.h"
#include "SurveyFigures.h"
#include "SurveyReport.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "exchange/SyncedSave.h"
#include "exchange/print/PrintModule.h"
#include "texts/AnalysisTexts.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"
#include "ui/ErrorBox.h"
#include "ui/WindowPlace.h"

#include <QApplication>
#include <QBuffer>
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
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char* const kElectrodeKey = "analysis/electrode";

void ErrorBox(const QString& text, int lang) { ShowErrorBox(MainText::Error[lang], text); }

// Puts `data` in the place of `fileName` only once it is all on the disk: a write cut short (a
// full disk takes only part of a write and reports no error) fails and keeps the old file.
bool SaveWhole(const QString& fileName, const QByteArray& data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return CommitSynced(file);
}

// A label for `control`, whose accessible name becomes the label's text.
QLabel* LabelFor(QWidget* parent, int lang, const char* name, const TextPair& text, QWidget* control)
{
    auto* label = new QLabel(text[lang], parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(control);
    control->setAccessibleName(text[lang]);
    return label;
}

QPushButton* Button(QWidget* parent, int lang, const char* name, const TextPair& text)
{
    auto* b = new QPushButton(text[lang], parent);
    b->setObjectName(QLatin1String(name));
    // Enter in a typed field takes its value; it must not also press a button (the thresholds'
    // reset would undo what was just typed).
    b->setAutoDefault(false);
    b->setAccessibleName(text[lang]);
    return b;
}

} // namespace

TForm7::TForm7(const ArchiveTable& table, const std::vector<RowBlock>& /*blocks*/, int lang, QWidget* parent)
    : QDialog(parent), lang_(lang), table_(table), objects_(GroupSurveys(table_)), intervals_{50, 0, 0}
{
    namespace AT = AnalysisText;
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(textOf(AT::Caption));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const SurveyObject& o : objects_) {
        auto* item = new QListWidgetItem(ObjectTitle(o, lang_) + QStringLiteral(" (%1)").arg(o.points.size()),
                                         ListBox1);
        item->setData(Qt::AccessibleTextRole, item->text());
        if (o.points.empty()) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const TextPair& e : AT::Electrodes) ComboBox1->addItem(textOf(e));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({textOf(AT::FillClasses), textOf(AT::FillContinuous)});
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({textOf(AT::ViewValues), textOf(AT::ViewCombined)});
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 1000);
    SpinEdit1->setSingleStep(10);
    SpinEdit1->setSpecialValueText(textOf(AT::IntervalNone));
    SpinEdit2 = new QSpinBox(this);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit3 = new QSpinBox(this);
    SpinEdit3->setObjectName(QStringLiteral("SpinEdit3"));
    for (QSpinBox* box : {SpinEdit2, SpinEdit3}) {
        box->setRange(-1500, 500);
        box->setSingleStep(5);
        box->setKeyboardTracking(false);
    }
    Button5 = Button(this, lang_, "Button5", AT::ThresholdsReset);
    Label7 = new QLabel(this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setWordWrap(true);
    ComboBox4 = new QComboBox(this);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->addItems({textOf(AT::AlignByNumber), textOf(AT::AlignByOrder)});
    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setWordWrap(true);
    Button1 = Button(this, lang_, "Button1", AT::SaveMap);
    Button2 = Button(this, lang_, "Button2", AT::CopyStatistics);
    Button3 = Button(this, lang_, "Button3", AT::Report);
    Button4 = Button(this, lang_, "Button4", AT::ReportPdf);
    ComboBox5 = new QComboBox(this);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    for (int u = 0; u < kLengthUnitCount; ++u) ComboBox5->addItem(UnitText(LengthUnit(u), lang_));
    ComboBox5->setCurrentIndex(int(LengthUnit::Centimetre));
    const std::pair<QCheckBox**, std::pair<const char*, const TextPair*>> boxes[] = {
        {&CheckBox1, {"CheckBox1", &AT::FlipX}},
        {&CheckBox2, {"CheckBox2", &AT::FlipY}},
        {&CheckBox3, {"CheckBox3", &AT::Turn90}},
        {&CheckBox4, {"CheckBox4", &AT::IntervalAutomatic}},
        {&CheckBox5, {"CheckBox5", &AT::CommonScale}}};
    for (const auto& [box, what] : boxes) {
        *box = new QCheckBox(textOf(*what.second), this);
        (*box)->setObjectName(QLatin1String(what.first));
    }
    Button6 = Button(this, lang_, "Button6", AT::RecordButton);
    Button7 = Button(this, lang_, "Button7", AT::CsvButton);
    Label12 = new QLabel(this);
    Label12->setObjectName(QStringLiteral("Label12"));
    Label12->setWordWrap(true);
    Label12->setStyleSheet(QStringLiteral("color: #a00000"));
    Label12->hide();

    MapView1 = new TMapView(table_, this);
    MapView1->setObjectName(QStringLiteral("MapView1"));
    Label6 = new QLabel(textOf(AT::Statistics), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(textOf(AT::Statistics));
    StringGrid1->setToolTip(textOf(AT::PercentileRule));
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
    Chart1->setAccessibleName(textOf(AT::Histogram));
    Chart2 = new TChartView(1, this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->setAccessibleName(textOf(AT::Cumulative));

    auto* left = new QVBoxLayout;
    left->addWidget(LabelFor(this, lang_, "Label1", AT::Objects, ListBox1));
    left->addWidget(ListBox1, 1);
    left->addWidget(LabelFor(this, lang_, "Label2", AT::Electrode, ComboBox1));
    left->addWidget(ComboBox1);
    left->addWidget(LabelFor(this, lang_, "Label3", AT::Fill, ComboBox2));
    left->addWidget(ComboBox2);
    left->addWidget(LabelFor(this, lang_, "Label4", AT::View, ComboBox3));
    left->addWidget(ComboBox3);
    left->addWidget(LabelFor(this, lang_, "Label5", AT::Interval, SpinEdit1));
    left->addWidget(SpinEdit1);
    left->addWidget(CheckBox4);
    left->addWidget(CheckBox5);
    left->addWidget(LabelFor(this, lang_, "Label13", AT::LengthUnitLabel, ComboBox5));
    left->addWidget(ComboBox5);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3}) left->addWidget(b);
    left->addWidget(LabelFor(this, lang_, "Label9", AT::ThresholdUpper, SpinEdit2));
    left->addWidget(SpinEdit2);
    left->addWidget(LabelFor(this, lang_, "Label10", AT::ThresholdLower, SpinEdit3));
    left->addWidget(SpinEdit3);
    left->addWidget(Label7);
    left->addWidget(Button5);
    left->addWidget(LabelFor(this, lang_, "Label11", AT::Alignment, ComboBox4));
    left->addWidget(ComboBox4);
    left->addWidget(Label8);
    left->addSpacing(10);
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button6, Button7}) left->addWidget(b);
    left->addWidget(Label12);
    auto* leftInner = new QWidget;
    leftInner->setLayout(left);
    const DesignScale scale(*this, DesignScale::Sizes::Fixed);
    // The controls scroll where the screen is too low for all of them.
    auto* leftBox = new QScrollArea(this);
    leftBox->setObjectName(QStringLiteral("ScrollBox1"));
    leftBox->setWidget(leftInner);
    leftBox->setWidgetResizable(true);
    leftBox->setFrameShape(QFrame::NoFrame);
    leftBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As wide as its widest control needs (long Russian check box texts), at least 250 pixels.
    leftBox->setFixedWidth(std::max(scale.px(250), leftInner->minimumSizeHint().width()) +
                           leftBox->verticalScrollBar()->sizeHint().width());
    ListBox1->setMinimumHeight(scale.px(120));

    auto* right = new QVBoxLayout;
    right->addWidget(Label6);
    right->addWidget(StringGrid1, 0);
    right->addWidget(Chart1, 1);
    right->addWidget(Chart2, 1);
    auto* rightBox = new QWidget(this);
    rightBox->setLayout(right);
    rightBox->setFixedWidth(scale.px(360));

    auto* main = new QHBoxLayout(this);
    main->addWidget(leftBox);
    main->addWidget(MapView1, 1);
    main->addWidget(rightBox);
    PlaceWindow(*this, scale.size(1320, 820), QStringLiteral("analysis"));

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
    o.lang = lang_;
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
        SpinEdit1->setSuffix(QStringLiteral(" ") + UnitText(object->sensor, lang_));
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
    Label7->setText(
        object && object->sensor == SensorKind::Resistance
            ? textOf(AnalysisText::ResistivityBasis)
            : QString(textOf(AnalysisText::ThresholdSourceLine)).arg(ThresholdSourceText(t, lang_)));
    ComboBox4->setEnabled(partner >= 0);
    Label8->clear();
    if (object && partner >= 0) {
        const SurveyObject& other = objects_[std::size_t(partner)];
        const bool potential = object->sensor == SensorKind::Potential;
        const RiskTally tally = TallyRisk(
            CombineSurveys(potential ? *object : other, potential ? other : *object, t.values, alignment()));
        Label8->setText(
            QString(textOf(AnalysisText::PairedLine)).arg(tally.paired) + QLatin1Char('\n') +
            QString(textOf(AnalysisText::UnpairedLine)).arg(tally.potentialOnly).arg(tally.resistivityOnly) +
            QLatin1Char('\n') + textOf(AnalysisText::HeuristicNote));
    }
    ComboBox2->setEnabled(object && ComboBox3->currentIndex() == 0);
    for (QPushButton* b : {Button1, Button2}) b->setEnabled(object != nullptr);
    MapView1->setMap(
        object ? std::make_unique<SurveyMap>(
                     *object, partner >= 0 ? &objects_[std::size_t(partner)] : nullptr, mapOptions())
               : nullptr);

    StringGrid1->setRowCount(0);
    if (object) {
        const auto rows = StatisticsRows(*object, t.values, lang_);
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
    Chart1->setObject(object, t.values, lang_);
    Chart2->setObject(object, t.values, lang_);
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
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        SvgRequest svg{fileName, &buffer, size, QRect(QPoint(0, 0), size), title, [&](QPainter& p) {
                           p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
                           map->paint(p, QRectF(10, 10, size.width() - 20, size.height() - 20), 1.4);
                       }};
        return WriteSvg(svg, lang_) && !bytes.isEmpty() && SaveWhole(fileName, bytes);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        map->paint(p, QRectF(10, 10, size.width() - 20, size.height() - 20), 1.4);
    }
    return image.save(&buffer, "PNG") && SaveWhole(fileName, bytes);
}

void TForm7::Button1Click()
{
    if (currentObject() < 0) return;
    QFileDialog dialog(this, QString(textOf(AnalysisText::SaveMap)).remove(QStringLiteral("...")), QString(),
                       textOf(AnalysisText::PngFilter) + QStringLiteral(";;") +
                           textOf(AnalysisText::SvgFilter));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString name = dialog.selectedFiles().first();
    if (QFileInfo(name).suffix().isEmpty())
        name += dialog.selectedNameFilter().contains(QLatin1String("svg")) ? QStringLiteral(".svg")
                                                                           : QStringLiteral(".png");
    if (!writeMap(name)) ErrorBox(textOf(MainText::SaveFailed) + QLatin1Char('\n') + name, lang_);
}

void TForm7::Button2Click()
{
    const int k = currentObject();
    if (k < 0) return;
    QApplication::clipboard()->setText(StatisticsTsv(objects_[std::size_t(k)], thresholds(), lang_));
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
        textOf(MainText::Caption).trimmed() + QStringLiteral(" — ") + textOf(AnalysisText::ReportTitle);
    PreviewRequest request;
    request.parent = this;
    request.objectName = QStringLiteral("PrintPreview1");
    request.windowTitle = title;
    request.docName = title;
    request.setUp = [](QPagedPaintDevice& device) { SetUpSurveyReportPage(device); };
    request.paint = [this](QPagedPaintDevice& device, const PrintRun& run) { paintReport(device, run); };
    ShowPrintPreview(request, lang_);
}

bool TForm7::writeReportPdf(const QString& fileName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    if (!writer.pageLayout().isValid()) return false;
    writer.setResolution(300);
    writer.setTitle(textOf(MainText::Caption).trimmed() + QStringLiteral(" — ") +
                    textOf(AnalysisText::ReportTitle));
    writer.setCreator(textOf(MainText::Caption).trimmed());
    SetUpSurveyReportPage(writer);
    ReportOptions options{mapOptions(), QDateTime::currentDateTime(), records_};
    return PaintSurveyReport(writer, table_, objects_, options) > 0 && SaveWhole(fileName, bytes);
}

void TForm7::Button4Click()
{
    QFileDialog dialog(this, QString(textOf(AnalysisText::ReportPdf)).remove(QStringLiteral("...")),
                       QString(), textOf(AnalysisText::PdfFilter));
    dialog.setObjectName(QStringLiteral("SaveDialog2"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString name = dialog.selectedFiles().first();
    if (!writeReportPdf(name) || QFileInfo(name).size() == 0)
        ErrorBox(textOf(MainText::SaveFailed) + QLatin1Char('\n') + name, lang_);
}

void OpenAnalysisWindow(QWidget* parent, const ArchiveTable& table, int lang, const QString& projectPath)
{
    const SurfacesResult built = buildSurfaces(table, lang);
    if (const auto& error = built.error) {
        // The cell that stops the diagram stops the analysis too, named the same way.
        QString heading = table.cell(error->column, 0).trimmed();
        if (heading.isEmpty()) heading = HeaderText(error->column, lang);
        ErrorBox(InvalidCellMessage(*error, heading, lang), lang);
        return;
    }
    TForm7 form(table, BlocksOfSurfaces(built.surfaces), lang, parent);
    form.setProjectPath(projectPath);
    form.exec();
}

void TForm7::setProjectPath(const QString& projectPath)
{
    recordPath_ = RecordFilePath(projectPath);
    RecordsLoad load = LoadRecords(recordPath_);
    records_ = std::move(load.records);
    Label12->setText(load.error.isEmpty() ? QString() : textOf(AnalysisText::RecordDamaged).arg(load.error));
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
    Label12->setText(saved ? QString() : textOf(AnalysisText::RecordNotSaved).arg(why));
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
    dialog.setWindowTitle(textOf(AnalysisText::RecordTitle));
    auto* form = new QFormLayout;
    SurveyRecord record = currentRecord();
    std::vector<QLineEdit*> edits;
    const auto& fields = RecordFields();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        auto* edit = new QLineEdit(record.*fields[k].member, &dialog);
        edit->setObjectName(QLatin1String(fields[k].key));
        edit->setAccessibleName(textOf(AnalysisText::RecordFieldNames[k]));
        form->addRow(textOf(AnalysisText::RecordFieldNames[k]), edit);
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
            return textOf(AnalysisText::PotentialClassNames[std::size_t(ClassifyPotential(v, t))]);
        if (survey.sensor == SensorKind::Resistance)
            return textOf(AnalysisText::ResistivityClassNames[std::size_t(ClassifyResistivity(v))]);
        return QString();
    };
    return SaveWhole(fileName, SurveyCsv(survey, o.length, o.orientation, classOf, lang_).toUtf8());
}

void TForm7::Button7Click()
{
    const QString name = QFileDialog::getSaveFileName(this, textOf(AnalysisText::CsvButton), QString(),
                                                      textOf(AnalysisText::CsvFilter));
    if (name.isEmpty()) return;
    if (!writeCsv(name)) ErrorBox(textOf(MainText::SaveFailed) + QLatin1Char('\n') + name, lang_);
}
