#pragma once
// The texts of the About window, composed from the program's version data and its build
// date. No window code, so that every path of the composition can be tested on its own.
#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

/// Version data as the program carries it: a translation list of 16-bit little-endian
/// (language, code page) pairs and string values under "\StringFileInfo\<key>\<name>".
struct VersionData {
    QByteArray translation;
    QHash<QString, QString> strings;
};

/// The data this program was built with.
VersionData ProgramVersionData();
/// The build date in the C compiler's __DATE__ form.
QByteArray ProgramBuildDate();

struct AboutLabels {
    QString caption;
    QString productName;
    QString version;
    QString copyright;
    QString comments;
    QString label2;
};

/// The window's texts in language `lang`. Without version data, or with a build date that
/// does not split into month, day and year, the labels after the product keep their design
/// texts; without a translation entry the version and copyright lines do.
AboutLabels ComposeAboutLabels(const std::optional<VersionData>& data, const QByteArray& buildDate, int lang);

/// The target of the e-mail link: the subject is the program file's name without extension.
QString MailTarget(const QString& address, const QString& programPath);
