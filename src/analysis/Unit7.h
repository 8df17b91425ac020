#pragma once
// The analysis window: the survey objects of the archive table, the selected object's map,
// its statistics, histogram and cumulative curve, the reference electrode, exports and the
// survey report. Everything it shows is computed by the analysis library; the window only
// holds the user's choices.
#include "ChartView.h"
#include "MapPainter.h"
#include "MapView.h"
#include "Survey.h"
#include "SurveyRecord.h"
#include "archive/ArchiveTable.h"
#include "texts/TextPair.h"

#include <QDialog>

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPagedPaintDevice;
struct PrintRun;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    /// Reads the surveys of `table` (GroupSurveys: whatever the row order; the diagram's blocks
    /// are not the analysis's grouping). Its texts are in language `lang` (0 Russian, 1 English).
    TForm7(const ArchiveTable& table, const std::vector<RowBlock>& blocks, int lang,
           QWidget* parent = nullptr);
    ~TForm7() override;

    const std::vector<SurveyObject>& objects() const { return objects_; }
    int currentObject() const;
    Electrode electrode() const;
    /// The ASTM C876 thresholds of the electrode until the engineer types or drags others.
    ThresholdsInForce thresholds() const;
    /// Alignment of the combined view, the survey pair's own until the user picks the other one.
    SeriesAlignment alignment() const;
    MapOptions mapOptions() const;

    /// Reads the survey records kept beside the project saved at `projectPath` (empty for an
    /// unsaved read). A damaged record file is reported in the window and left as it is.
    void setProjectPath(const QString& projectPath);
    /// The record of the selected survey (with its unit and orientation).
    SurveyRecord currentRecord() const;
    /// Stores the selected survey's record and writes the record file; false, with the reason
    /// shown, when it could not be written.
    bool setCurrentRecord(const SurveyRecord& record);
    /// Writes the selected survey's grid as CSV; false when the file could not be written.
    bool writeCsv(const QString& fileName);
    /// What the window reports about the record file (damaged, not saved); empty when all is well.
    QString recordProblem() const;

    /// Writes the report to a PDF file; false when the file could not be written.
    bool writeReportPdf(const QString& fileName);
    /// Writes the map as PNG or SVG by the file's extension; false when it could not be written.
    bool writeMap(const QString& fileName);

public slots:
    void ListBox1Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void SpinEdit1Change();
    void ThresholdEdited(); // upper or lower threshold typed
    void ComboBox4Change(); // series alignment
    void Button5Click();    // back to the ASTM C876 thresholds
    void ChartThresholdDragged(int which, double mV);
    void Button1Click();   // save map
    void Button2Click();   // copy statistics
    void Button3Click();   // report preview
    void Button4Click();   // report to PDF
    void GeometryChange(); // unit, mirrors, turn or automatic interval
    void Button6Click();   // survey record dialog
    void Button7Click();   // grid to CSV

private:
    void refresh();
    void paintReport(QPagedPaintDevice& device, const PrintRun& run);
    const QString& textOf(const TextPair& pair) const { return pair[lang_]; }

    int lang_;
    ArchiveTable table_; // the table as it was when the window opened
    std::vector<SurveyObject> objects_;
    std::vector<int> intervals_;                       // iso-line interval per sensor kind
    std::optional<PotentialThresholds> ownThresholds_; // set by the engineer
    QString recordPath_;
    SurveyRecords records_;
    // Unit and orientation for a survey that has no record yet: the last ones chosen.
    LengthUnit lastUnit_ = LengthUnit::Centimetre;
    Orientation lastOrientation_;

    QListWidget* ListBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr; // electrode
    QComboBox* ComboBox2 = nullptr; // fill
    QComboBox* ComboBox3 = nullptr; // values or combined risk
    QSpinBox* SpinEdit1 = nullptr;  // iso-line interval
    QSpinBox* SpinEdit2 = nullptr;  // upper threshold
    QSpinBox* SpinEdit3 = nullptr;  // lower threshold
    QLabel* Label7 = nullptr;       // where the thresholds come from
    QComboBox* ComboBox4 = nullptr; // series alignment of the combined view
    QLabel* Label8 = nullptr;       // pairing counts and the heuristic's note
    QPushButton* Button5 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QComboBox* ComboBox5 = nullptr; // length unit
    QCheckBox* CheckBox1 = nullptr; // mirror X
    QCheckBox* CheckBox2 = nullptr; // mirror Y
    QCheckBox* CheckBox3 = nullptr; // turn by 90°
    QCheckBox* CheckBox4 = nullptr; // automatic iso-line interval
    QCheckBox* CheckBox5 = nullptr; // continuous scale common to all surveys of the sensor
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QLabel* Label12 = nullptr; // record file problems
    TMapView* MapView1 = nullptr;
    QLabel* Label6 = nullptr; // statistics heading
    QTableWidget* StringGrid1 = nullptr;
    TChartView* Chart1 = nullptr;
    TChartView* Chart2 = nullptr;
};

/// The Analysis command: a fresh analysis window over `table` in language `lang`, shown modally.
void OpenAnalysisWindow(QWidget* parent, const ArchiveTable& table, int lang,
                        const QString& projectPath = QString());
