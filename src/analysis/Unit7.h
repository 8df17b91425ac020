#pragma once
// The analysis window: the survey objects of the archive table, the selected object's map,
// its statistics, histogram and cumulative curve, the reference electrode, exports and the
// survey report. Everything it shows is computed by the analysis library; the window only
// holds the user's choices.
#include "MapPainter.h"
#include "Survey.h"
#include "archive/ArchiveTable.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTableWidget;

/// The map of the selected object; hovering a measured point shows its row's texts.
class TMapView : public QWidget {
    Q_OBJECT
public:
    TMapView(const ArchiveTable& table, QWidget* parent = nullptr);
    void setMap(std::unique_ptr<SurveyMap> map);
    const SurveyMap* map() const { return map_.get(); }
    /// What hovering `pos` shows: the texts of the rows measured there, empty elsewhere.
    QString hoverText(QPoint pos) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    /// Where the map is painted; hovering looks up the same area.
    QRectF mapArea() const;

    const ArchiveTable& table_;
    std::unique_ptr<SurveyMap> map_;
};

/// The histogram (kind 0) or the cumulative curve (kind 1) of the selected object.
class TChartView : public QWidget {
    Q_OBJECT
public:
    TChartView(int kind, QWidget* parent = nullptr) : QWidget(parent), kind_(kind) {}
    void setObject(const SurveyObject* object, Electrode electrode, int lang);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int kind_;
    const SurveyObject* object_ = nullptr;
    Electrode electrode_ = Electrode::CuCuSO4;
    int lang_ = 0;
};

class TForm7 : public QDialog {
    Q_OBJECT
public:
    /// Reads the objects from `table` grouped into `blocks` (the diagram's surfaces).
    TForm7(const ArchiveTable& table, const std::vector<RowBlock>& blocks, QWidget* parent = nullptr);
    ~TForm7() override;

    const std::vector<SurveyObject>& objects() const { return objects_; }
    int currentObject() const;
    Electrode electrode() const;
    MapOptions mapOptions() const;

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
    void Button1Click(); // save map
    void Button2Click(); // copy statistics
    void Button3Click(); // report preview
    void Button4Click(); // report to PDF

private:
    void refresh();
    void paintReport(QPrinter* printer);

    ArchiveTable table_; // the table as it was when the window opened
    std::vector<SurveyObject> objects_;
    std::vector<int> intervals_; // iso-line interval per sensor kind

    QListWidget* ListBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr; // electrode
    QComboBox* ComboBox2 = nullptr; // fill
    QComboBox* ComboBox3 = nullptr; // values or combined risk
    QSpinBox* SpinEdit1 = nullptr;  // iso-line interval
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    TMapView* MapView1 = nullptr;
    QLabel* Label6 = nullptr; // statistics heading
    QTableWidget* StringGrid1 = nullptr;
    TChartView* Chart1 = nullptr;
    TChartView* Chart2 = nullptr;
};

/// The Analysis command: a fresh analysis window over `table`, shown modally.
void OpenAnalysisWindow(QWidget* parent, const ArchiveTable& table);
