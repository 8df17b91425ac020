#include "SurveyRecord.h"

#include "exchange/SyncedSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

bool SurveyRecord::empty() const
{
    for (const RecordField& f : RecordFields())
        if (!(this->*f.member).trimmed().isEmpty()) return false;
    return true;
}

const std::vector<RecordField>& RecordFields()
{
    static const std::vector<RecordField> fields{
        {"structure", &SurveyRecord::structure},
        {"element", &SurveyRecord::element},
        {"location", &SurveyRecord::location},
        {"client", &SurveyRecord::client},
        {"operator", &SurveyRecord::operatorName},
        {"instrumentSerial", &SurveyRecord::instrumentSerial},
        {"electrode", &SurveyRecord::electrode},
        {"electrodeCheck", &SurveyRecord::electrodeCheck},
        {"airTemperature", &SurveyRecord::airTemperature},
        {"concreteTemperature", &SurveyRecord::concreteTemperature},
        {"surfaceCondition", &SurveyRecord::surfaceCondition},
        {"preWetting", &SurveyRecord::preWetting},
        {"connectionPoint", &SurveyRecord::connectionPoint},
        {"continuityCheck", &SurveyRecord::continuityCheck},
        {"coverDepth", &SurveyRecord::coverDepth},
        {"notes", &SurveyRecord::notes},
    };
    return fields;
}

QByteArray RecordsToJson(const SurveyRecords& records)
{
    QJsonObject surveys;
    for (const auto& [key, r] : records) {
        QJsonObject o;
        for (const RecordField& f : RecordFields())
            if (!(r.*f.member).isEmpty()) o.insert(QLatin1String(f.key), r.*f.member);
        o.insert(QStringLiteral("unit"), KeyOfUnit(r.unit));
        o.insert(QStringLiteral("flipX"), r.orientation.flipX);
        o.insert(QStringLiteral("flipY"), r.orientation.flipY);
        o.insert(QStringLiteral("rotate"), r.orientation.rotate);
        surveys.insert(key, o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("version"), 1);
    root.insert(QStringLiteral("surveys"), surveys);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SurveyRecords> RecordsFromJson(const QByteArray& json, QString* why)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        if (why) *why = error.errorString() + QStringLiteral(" @%1").arg(error.offset);
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value(QStringLiteral("version")).toInt() != 1 ||
        !root.value(QStringLiteral("surveys")).isObject()) {
        if (why) *why = QStringLiteral("version 1 / surveys");
        return std::nullopt;
    }
    SurveyRecords records;
    const QJsonObject surveys = root.value(QStringLiteral("surveys")).toObject();
    for (auto it = surveys.begin(); it != surveys.end(); ++it) {
        if (!it.value().isObject()) {
            if (why) *why = it.key();
            return std::nullopt;
        }
        const QJsonObject o = it.value().toObject();
        SurveyRecord r;
        for (const RecordField& f : RecordFields()) r.*f.member = o.value(QLatin1String(f.key)).toString();
        r.unit = UnitOfKey(o.value(QStringLiteral("unit")).toString());
        r.orientation.flipX = o.value(QStringLiteral("flipX")).toBool();
        r.orientation.flipY = o.value(QStringLiteral("flipY")).toBool();
        r.orientation.rotate = o.value(QStringLiteral("rotate")).toBool();
        records.emplace(it.key(), std::move(r));
    }
    return records;
}

QString RecordFilePath(const QString& projectPath)
{
    if (!projectPath.isEmpty()) return projectPath + QStringLiteral(".survey.json");
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("unsaved-read.survey.json"));
}

RecordsLoad LoadRecords(const QString& path)
{
    RecordsLoad load;
    QFile file(path);
    if (!file.exists()) return load;
    if (!file.open(QIODevice::ReadOnly)) {
        load.error = file.errorString();
        return load;
    }
    QString why;
    if (auto records = RecordsFromJson(file.readAll(), &why))
        load.records = std::move(*records);
    else
        load.error = why;
    return load;
}

bool SaveRecords(const QString& path, const SurveyRecords& records, QString* why)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (why) *why = file.errorString();
        return false;
    }
    // A disk that takes only part of a write reports no error; writing on from where it
    // stopped gives the error that names the reason (disk full, file too large).
    const QByteArray json = RecordsToJson(records);
    for (qint64 done = 0; done < json.size();) {
        const qint64 n = file.write(json.constData() + done, json.size() - done);
        if (n <= 0) {
            if (why) *why = file.errorString();
            file.cancelWriting();
            return false;
        }
        done += n;
    }
    return CommitSynced(file, why);
}
