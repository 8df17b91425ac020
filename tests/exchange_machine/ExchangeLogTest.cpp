// The link and exchange diagnostics: silent by default; when turned on, they tell a support
// engineer what happened on the wire without giving away what the instrument measured.
#include "device/ExchangeLog.h"
#include "FakeInstrument.h"
#include "app/SharedState.h"
#include "device/Exchange.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {
using namespace fake;

class QuietHost : public ExchangeHost {
public:
    void syncUpdate(const SyncView&) override {}
    void messageBox(const TextPair&) override { ++boxes; }
    void fillArchive(std::vector<ArchiveRecord> records) override { archive = std::move(records); }
    void fillSettingsTable(SettingsRows rows) override { settings = std::move(rows); }
    std::optional<SettingsRows> readSettingsRows() override { return std::nullopt; }
    void closeProgressWindow() override {}
    void setPriority(WorkerPriority) override {}
    bool stopRequested() override { return false; }
    void exitProgram(int) override { ADD_FAILURE() << "no exit expected"; }

    int boxes = 0;
    std::vector<ArchiveRecord> archive;
    SettingsRows settings;
};

QStringList Captured;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    Captured << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
}

class ExchangeLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Captured.clear();
        previous_ = qInstallMessageHandler(Capture);
    }
    void TearDown() override
    {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
    }

    void run(Operation operation)
    {
        shared.WorkerState = 0;
        shared.Operation = operation;
        Exchange exchange(instrument, instrument, host, shared);
        int passes = 0;
        while (exchange.pass()) ASSERT_LT(++passes, 500) << "exchange does not end";
    }

    SharedState shared;
    FakeInstrument instrument;
    QuietHost host;

private:
    QtMessageHandler previous_ = nullptr;
};

TEST_F(ExchangeLog, SilentUnlessTurnedOn)
{
    instrument.setRecords(2);
    run(Operation::ReadArchive);
    ASSERT_EQ(host.archive.size(), 2u);
    EXPECT_TRUE(Captured.isEmpty()) << Captured.join('\n').toStdString();
}

TEST_F(ExchangeLog, AnArchiveReadNamesStatesCommandsLengthsAndTimingsButNoMeasuredValue)
{
    QLoggingCategory::setFilterRules(QStringLiteral("lm11.*.debug=true"));
    instrument.setRecords(3);
    run(Operation::ReadArchive);
    ASSERT_EQ(host.archive.size(), 3u);

    const QString all = Captured.join('\n');
    for (const char* expected :
         {"lm11.exchange: state connect", "lm11.exchange: state read version",
          "lm11.exchange: state read settings", "lm11.exchange: state read header",
          "lm11.exchange: state read records", "lm11.exchange: state finish",
          "lm11.link: write 2 bytes (command read version 01 FE): ok in ",
          "lm11.link: write 2 bytes (command read header 02 FD): ok in ",
          "lm11.link: write 4 bytes (command read record 03 FC 02 00): ok in ",
          "lm11.link: read 4 bytes: got 4 in ", "lm11.exchange: reply of 760 bytes announced",
          "lm11.link: read 7268 bytes: got 7268 in ", "lm11.exchange: exchange ends after "})
        EXPECT_TRUE(all.contains(QLatin1String(expected))) << expected << "\n" << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("status ok, not cancelled, 3 of 3 records received")))
        << all.toStdString();

    // Every line is one of the known shapes, so nothing else (record bytes, values, object
    // names, settings) can slip into it.
    const QRegularExpression shape(QStringLiteral(
        R"(^lm11\.exchange: (state [a-z ]+|status [a-z ]+|reply of \d+ bytes announced|)"
        R"(exchange ends after \d+ ms: status [a-z ]+, (not )?cancelled, \d+ of \d+ records received)$|)"
        R"(^lm11\.link: (write \d+ bytes( \((command [a-z ]+|length) ([0-9A-F]{2} ?){2,4}\))?: (ok|failed) in \d+ ms|)"
        R"(read \d+ bytes: (got \d+|failed) in \d+ ms)$)"));
    for (const QString& line : Captured) EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
    for (const TextPair& name : shared.ObjectNames.get()) {
        EXPECT_FALSE(all.contains(name[0])) << name[0].toStdString();
        EXPECT_FALSE(all.contains(name[1])) << name[1].toStdString();
    }
}

TEST_F(ExchangeLog, AFailedTransferAndTheStatusItLeavesAreLogged)
{
    QLoggingCategory::setFilterRules(QStringLiteral("lm11.exchange.debug=true\nlm11.link.debug=true"));
    shared.VersionUnread = 0;
    instrument.setRecords(2);
    instrument.failingReads = {4}; // the second record's length
    run(Operation::ReadArchive);

    const QString all = Captured.join('\n');
    EXPECT_TRUE(all.contains(QLatin1String("lm11.link: read 4 bytes: failed in "))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("lm11.exchange: status link error"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("status link error, not cancelled, 1 of 2 records received")))
        << all.toStdString();
}

TEST_F(ExchangeLog, OnlyTheCategoryTurnedOnSpeaks)
{
    QLoggingCategory::setFilterRules(QStringLiteral("lm11.exchange.debug=true"));
    instrument.setRecords(1);
    run(Operation::ReadArchive);
    ASSERT_FALSE(Captured.isEmpty());
    for (const QString& line : Captured)
        EXPECT_TRUE(line.startsWith(QLatin1String("lm11.exchange: "))) << line.toStdString();
}

} // namespace
