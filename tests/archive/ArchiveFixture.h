#pragma once
// Common ground of the archive tests: a known locale per test and a quick way to build records.
#include "archive/ArchiveTable.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override { QLocale::setDefault(saved_); }

    static void UseLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }

    /// A plausible potential measurement of 5 March 2021, 14:07:09.
    static ArchiveRecord Record()
    {
        ArchiveRecord r;
        r.second = 9;
        r.minute = 7;
        r.hour = 14;
        r.day = 5;
        r.month = 3;
        r.yearSince2000 = 21;
        r.pointNumber = 4;
        r.seriesNumber = 2;
        r.rangeLow = -500;
        r.rangeHigh = 500;
        r.objectIndex = 1;
        r.mode = 0;
        r.stepX = 10;
        r.stepY = 20;
        r.value = -350.7;
        r.seriesLength = 30;
        r.sensorType = 0;
        return r;
    }

    static QStringList Row(const ArchiveTable& t, int row)
    {
        QStringList texts;
        for (int c = 0; c < t.columnCount(); ++c) texts << t.cell(c, row);
        return texts;
    }

    static QStringList Column(const ArchiveTable& t, int column)
    {
        QStringList texts;
        for (int r = 1; r < t.rowCount(); ++r) texts << t.cell(column, r);
        return texts;
    }

private:
    QLocale saved_;
};

// gtest prints QStrings as bytes otherwise.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(QLatin1Char('|')).toStdString(); }
