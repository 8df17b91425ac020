// The About window's texts from the version data and the build date, every way the
// composition can stop early, and the e-mail target.
#include "ui/AboutLabels.h"
#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

VersionData Data(QByteArray translation, QHash<QString, QString> strings)
{
    return VersionData{std::move(translation), std::move(strings)};
}

const QByteArray kRussian1251("\x19\x04\xE3\x04", 4);
const QString kTable = QStringLiteral("\\StringFileInfo\\041904E3\\");

VersionData Complete()
{
    return Data(kRussian1251,
                {{kTable + "FileVersion", "1.0.0.1"}, {kTable + "LegalCopyright", "(c) Maker"}});
}

TEST(AboutLabels, ComposesTheVersionLineInBothLanguages)
{
    struct Case {
        int lang;
        QByteArray date;
        QString version;
    };
    const std::vector<Case> cases = {
        {0, "Apr 27 2015", "Версия 1.0.0.1 от 27 апреля 2015 г."},
        {1, "Apr 27 2015", "Version 1.0.0.1 of 27 apri 2015 г."},
        {0, "Apr  5 2015", "Версия 1.0.0.1 от 5 апреля 2015 г."},
        {1, "Dec 31 1999", "Version 1.0.0.1 of 31 december 1999 г."},
        {0, "Jan  1 2016", "Версия 1.0.0.1 от 1 января 2016 г."},
        {0, "Xyz 27 2015", "Версия 1.0.0.1 от 27 января 2015 г."},
        {1, "apr 27 2015", "Version 1.0.0.1 of 27 january 2015 г."},      // the month is matched exactly
        {0, "September 9 2015", "Версия 1.0.0.1 от te сентября mber г."}, // split as the pattern splits it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date.toStdString());
        const AboutLabels labels = ComposeAboutLabels(Complete(), c.date, c.lang);
        EXPECT_EQ(labels.version, c.version);
        EXPECT_EQ(labels.copyright, "(c) Maker");
        EXPECT_EQ(labels.caption, c.lang == 0 ? " О программе " : " About ");
        EXPECT_EQ(labels.productName, c.lang == 0 ? "ЛМ-1.1" : "LM-1.1");
        EXPECT_EQ(labels.comments, c.lang == 0 ? "тел./факс. " : "tel./fax");
        EXPECT_EQ(labels.label2, c.lang == 0 ? " многоканальный " : " multichannel ");
    }
}

TEST(AboutLabels, EveryMonthAbbreviationPicksItsName)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int k = 0; k < 12; ++k) {
        const QByteArray date = QByteArray(months[k]) + " 10 2020";
        for (int lang : {0, 1})
            EXPECT_EQ(ComposeAboutLabels(Complete(), date, lang).version,
                      AboutText::Version[lang] + "1.0.0.1" + AboutText::Of[lang] + "10" +
                          AboutText::Months[k][lang] + "2020 г.")
                << months[k];
    }
}

TEST(AboutLabels, KeepsTheDesignTextsWhereTheDataStops)
{
    struct Case {
        const char* what;
        std::optional<VersionData> data;
        QByteArray date;
        QStringList expected; // version, copyright, comments, label2
    };
    const QStringList design = {"Version", "Copyright", "тел./факс.", "(многоканальный)"};
    const QStringList noVersionLines = {"Version", "Copyright", "тел./факс. ", " многоканальный "};
    const std::vector<Case> cases = {
        {"no version data", std::nullopt, "Apr 27 2015", design},
        {"a date of two fields", Complete(), "Apr 27", design},
        {"an empty date", Complete(), "", design},
        {"a translation shorter than one entry", Data(QByteArray("\x19\x04\xE3", 3), Complete().strings),
         "Apr 27 2015", noVersionLines},
        {"no translation", Data({}, Complete().strings), "Apr 27 2015", noVersionLines},
        {"strings under another translation", Data(QByteArray("\x09\x04\xB0\x04", 4), Complete().strings),
         "Apr 27 2015", noVersionLines},
        {"the key is upper-case hexadecimal",
         Data(kRussian1251, {{"\\StringFileInfo\\041904e3\\FileVersion", "1.0.0.1"}}), "Apr 27 2015",
         noVersionLines},
        {"only the copyright",
         Data(kRussian1251, {{kTable + "LegalCopyright", "(c) Maker"}}),
         "Apr 27 2015",
         {"Version", "(c) Maker", "тел./факс. ", " многоканальный "}},
        {"only the version",
         Data(kRussian1251, {{kTable + "FileVersion", "2.0"}}),
         "Apr 27 2015",
         {"Версия 2.0 от 27 апреля 2015 г.", "Copyright", "тел./факс. ", " многоканальный "}},
        {"the first translation counts",
         Data(QByteArray("\x09\x04\xB0\x04\x19\x04\xE3\x04", 8), Complete().strings), "Apr 27 2015",
         noVersionLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AboutLabels labels = ComposeAboutLabels(c.data, c.date, 0);
        EXPECT_EQ((QStringList{labels.version, labels.copyright, labels.comments, labels.label2}),
                  c.expected);
        EXPECT_EQ(labels.caption, " О программе ");
        EXPECT_EQ(labels.productName, "ЛМ-1.1");
    }
}

TEST(AboutLabels, TheProgramCarriesItsVersionAndADateOfTheCompilersForm)
{
    const QByteArray date = ProgramBuildDate();
    // "Mmm dd yyyy" with a blank in place of a leading zero.
    ASSERT_EQ(date.size(), 11) << date.toStdString();
    EXPECT_TRUE(QString::fromLatin1(date).contains(
        QRegularExpression("^[A-Z][a-z]{2} ( [1-9]|[1-3][0-9]) [0-9]{4}$")))
        << date.toStdString();
    const AboutLabels labels = ComposeAboutLabels(ProgramVersionData(), date, 0);
    EXPECT_TRUE(labels.version.startsWith("Версия 1.0.0.1 от ")) << labels.version.toStdString();
    EXPECT_TRUE(labels.version.endsWith(" г."));
    EXPECT_NE(labels.copyright, "Copyright");
    EXPECT_FALSE(labels.copyright.isEmpty());
}

TEST(MailTarget, TheSubjectIsTheProgramFilesNameWithoutExtension)
{
    struct Case {
        const char* program;
        const char* target;
    };
    const Case cases[] = {
        {"C:/Program Files/Zimbar/X.exe", "mailto:info@example.com?Subject=X"},
        {"/usr/bin/lm11", "mailto:info@example.com?Subject=lm11"},
        {"/opt/lm/my.prog.exe", "mailto:info@example.com?Subject=my.prog"},
    };
    for (const Case& c : cases) EXPECT_EQ(MailTarget("info@example.com", c.program), c.target) << c.program;
}

} // namespace
