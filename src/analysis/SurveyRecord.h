#pragma once
// The survey record an engineer fills in for each survey (structure, conditions, electrode check,
// ...), with the unit and orientation the survey is drawn in. Records are kept in a file of their
// own beside the project, never in the project file. No window code.
#include "SurveyGeometry.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <vector>

struct SurveyRecord {
    QString structure, element, location, client, operatorName, instrumentSerial;
    QString electrode, electrodeCheck; ///< electrode in use and its check reading
    QString airTemperature, concreteTemperature;
    QString surfaceCondition, preWetting;
    QString connectionPoint, continuityCheck;
    QString coverDepth, notes;
    LengthUnit unit = LengthUnit::Centimetre;
    Orientation orientation;

    /// True when none of the texts was filled in (unit and orientation don't count).
    bool empty() const;
    bool operator==(const SurveyRecord&) const = default;
};

/// The record's texts in order, with their stored keys; for the dialog, the report and the file.
struct RecordField {
    const char* key;
    QString SurveyRecord::*member;
};
const std::vector<RecordField>& RecordFields();

/// Records by survey key (see SurveyKey in SurveyCsv.h).
using SurveyRecords = std::map<QString, SurveyRecord>;

QByteArray RecordsToJson(const SurveyRecords& records);
/// The records of a file's text; nullopt with `why` set when it is not a record file.
std::optional<SurveyRecords> RecordsFromJson(const QByteArray& json, QString* why = nullptr);

/// The record file of a project saved at `projectPath` ("<name>.ar.survey.json" beside it), or of
/// an unsaved read (a file in the program's data folder) when the path is empty.
QString RecordFilePath(const QString& projectPath);

struct RecordsLoad {
    SurveyRecords records;
    QString error; ///< why the file could not be read; empty when it was read or does not exist
};
/// The records in `path`; none, without error, when there is no such file.
RecordsLoad LoadRecords(const QString& path);
/// Writes `records` to `path` safely (the old file stays whole on any failure).
bool SaveRecords(const QString& path, const SurveyRecords& records, QString* why = nullptr);
