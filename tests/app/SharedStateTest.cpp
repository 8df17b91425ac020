#include "app/SharedState.h"
#include "app/CommandLine.h"
#include "texts/Texts.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

class SharedStateTest : public ::testing::Test {
protected:
    SharedState shared;
};

TEST_F(SharedStateTest, ResetRestoresEveryStartValue)
{
    shared.Lang = 1;
    shared.VersionUnread = 0;
    shared.Operation = Operation::ReadScreen;
    shared.WorkerState = 7;
    shared.CancelRequest = 1;
    shared.LinkStatus = 5;
    shared.invalidRow = 7;
    shared.invalidColumn = 4;
    shared.settingsBlock[3] = 0x41;
    shared.RecordCount = 1760;
    shared.ScreenBuffer[0] = 0xFF;
    shared.ScreenBuffer[kScreenBufferSize - 1] = 0x80;
    auto names = shared.ObjectNames.get();
    names[0] = {"Мост", "Bridge"};
    names[19] = {"", ""};
    shared.ObjectNames.set(names);
    shared.setTimeFormat(QStringLiteral("hh:mm:ss"));

    shared.reset();

    EXPECT_EQ(shared.Lang, 0);
    EXPECT_EQ(shared.VersionUnread, 1);
    EXPECT_EQ(shared.Operation, Operation::ReadArchive);
    EXPECT_EQ(shared.WorkerState, 0);
    EXPECT_EQ(shared.CancelRequest, 0);
    EXPECT_EQ(shared.LinkStatus, 0);
    EXPECT_EQ(shared.invalidRow, 0);
    EXPECT_EQ(shared.invalidColumn, 0);
    EXPECT_EQ(shared.settingsBlock, SharedState().settingsBlock);
    EXPECT_EQ(shared.RecordCount, 0u);
    for (int i = 0; i < kScreenBufferSize; ++i) ASSERT_EQ(shared.ScreenBuffer[i], 0) << "byte " << i;
    for (int k = 0; k < kObjectCount; ++k) EXPECT_EQ(shared.ObjectNames.at(k), DefaultObjectName(k + 1)) << k;
    EXPECT_TRUE(shared.timeFormat().isEmpty());
}

TEST_F(SharedStateTest, TwoStatesShareNothing)
{
    // Every test and every run builds its own state: nothing of one reaches another.
    shared.Lang = 1;
    shared.RecordCount = 12;
    shared.VersionUnread = 0;
    shared.ScreenBuffer[5] = 0x5A;
    auto names = shared.ObjectNames.get();
    names[2] = {"Мост", "Bridge"};
    shared.ObjectNames.set(names);
    shared.setTimeFormat(QStringLiteral("hh:mm:ss"));
    shared.activity.setRunning(true);
    EXPECT_EQ(shared.ObjectNames.at(2), (TextPair{"Мост", "Bridge"}));

    SharedState own;
    EXPECT_EQ(own.Lang, 0);
    EXPECT_EQ(own.RecordCount, 0u);
    EXPECT_EQ(own.VersionUnread, 1);
    EXPECT_EQ(own.ScreenBuffer[5], 0);
    EXPECT_EQ(own.ObjectNames.at(2), DefaultObjectName(3));
    EXPECT_TRUE(own.timeFormat().isEmpty());
    EXPECT_FALSE(own.activity.isRunning());
    EXPECT_EQ(own.tr(MainText::Caption), QStringLiteral("Анализатор корозий "));
}

TEST_F(SharedStateTest, ObjectNamesStartAsNumberedObjects)
{
    const auto names = shared.ObjectNames.get();
    EXPECT_EQ(names[0], (TextPair{"Объект 1", "Object 1"}));
    EXPECT_EQ(names[9], (TextPair{"Объект 10", "Object 10"}));
    EXPECT_EQ(names[19], (TextPair{"Объект 20", "Object 20"}));
}

TEST_F(SharedStateTest, ObjectNamesAreReplacedAsAWhole)
{
    std::array<TextPair, kObjectCount> read;
    for (int k = 0; k < kObjectCount; ++k)
        read[k] = {QStringLiteral("Мост %1").arg(k), QStringLiteral("Bridge %1").arg(k)};
    read[4] = {QString(), QString()}; // an object the instrument left unnamed
    auto before = shared.ObjectNames.get();

    shared.ObjectNames.set(read);

    EXPECT_EQ(shared.ObjectNames.get(), read);
    EXPECT_EQ(shared.ObjectNames.at(4), (TextPair{}));
    EXPECT_EQ(shared.ObjectNames.at(19), (TextPair{"Мост 19", "Bridge 19"}));
    EXPECT_EQ(before[0], DefaultObjectName(1)); // copies handed out earlier stay as they were
}

TEST_F(SharedStateTest, TrFollowsLangAtTheMomentOfUse)
{
    EXPECT_EQ(shared.tr(MainText::Caption), QStringLiteral("Анализатор корозий "));
    shared.Lang = 1;
    EXPECT_EQ(shared.tr(MainText::Caption), QStringLiteral("Analyzer Concrete Corrosion "));
    EXPECT_EQ(shared.tr(SettingsText::Button1), QStringLiteral("Load into the device"));
    shared.Lang = 0;
    EXPECT_EQ(shared.tr(SettingsText::Caption), QStringLiteral("Настройка Объектов"));
}

TEST_F(SharedStateTest, ExchangeActivitySignalsOnlyChanges)
{
    auto& activity = shared.activity;
    EXPECT_FALSE(activity.isRunning());
    QSignalSpy spy(&activity, &ExchangeActivity::runningChanged);

    activity.setRunning(true);
    activity.setRunning(true);
    EXPECT_TRUE(activity.isRunning());
    activity.setRunning(false);
    activity.setRunning(false);
    EXPECT_FALSE(activity.isRunning());

    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toBool(), true);
    EXPECT_EQ(spy.at(1).at(0).toBool(), false);
}

TEST(CommandLine, ArgumentsJoinWithSingleBlanks)
{
    const struct {
        QStringList arguments;
        QString name;
    } cases[] = {
        {{}, QString()},
        {{"site.ar"}, "site.ar"},
        {{"C:\\My", "data\\site.ar"}, "C:\\My data\\site.ar"},
        {{"/home/user/My", "old", "data/site.ar"}, "/home/user/My old data/site.ar"},
        {{"/tmp/a  b.ar"}, "/tmp/a  b.ar"}, // blanks inside one argument stay as given
        {{"a", "", "b"}, "a  b"},           // an empty argument still adds its blank
        {{"Объект 1.ar"}, "Объект 1.ar"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProjectNameFromArguments(c.arguments), c.name) << c.name.toStdString();
}
