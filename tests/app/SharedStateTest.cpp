#include "app/SharedState.h"
#include "app/CommandLine.h"
#include "texts/Texts.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

class SharedStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSharedState(); }
    void TearDown() override { ResetSharedState(); }
};

TEST_F(SharedStateTest, ResetRestoresEveryStartValue)
{
    Lang = 1;
    VersionUnread = 0;
    Shared.Operation = Operation::ReadScreen;
    Shared.WorkerState = 7;
    Shared.CancelRequest = 1;
    Shared.LinkStatus = 5;
    Shared.invalidRow = 7;
    Shared.invalidColumn = 4;
    Shared.settingsBlock[3] = 0x41;
    RecordCount = 1760;
    ScreenBuffer[0] = 0xFF;
    ScreenBuffer[kScreenBufferSize - 1] = 0x80;
    auto names = ObjectNames();
    names[0] = {"Мост", "Bridge"};
    names[19] = {"", ""};
    SetObjectNames(names);
    SetTimeFormat(QStringLiteral("hh:mm:ss"));

    ResetSharedState();

    EXPECT_EQ(Lang, 0);
    EXPECT_EQ(VersionUnread, 1);
    EXPECT_EQ(Shared.Operation, Operation::ReadArchive);
    EXPECT_EQ(Shared.WorkerState, 0);
    EXPECT_EQ(Shared.CancelRequest, 0);
    EXPECT_EQ(Shared.LinkStatus, 0);
    EXPECT_EQ(Shared.invalidRow, 0);
    EXPECT_EQ(Shared.invalidColumn, 0);
    EXPECT_EQ(Shared.settingsBlock, SharedState().settingsBlock);
    EXPECT_EQ(RecordCount, 0u);
    for (int i = 0; i < kScreenBufferSize; ++i) ASSERT_EQ(ScreenBuffer[i], 0) << "byte " << i;
    for (int k = 0; k < kObjectCount; ++k) EXPECT_EQ(ObjectName(k), DefaultObjectName(k + 1)) << k;
    EXPECT_TRUE(TimeFormat().isEmpty());
}

TEST_F(SharedStateTest, TheWindowsNamesAreThoseOfTheProgramsState)
{
    // Window code writes through the names, the exchange reads the members it is handed.
    Lang = 1;
    RecordCount = 12;
    VersionUnread = 0;
    ScreenBuffer[5] = 0x5A;
    SetObjectNames(DefaultObjectNames());
    auto names = ObjectNames();
    names[2] = {"Мост", "Bridge"};
    SetObjectNames(names);
    EXPECT_EQ(Shared.Lang, 1);
    EXPECT_EQ(Shared.RecordCount, 12u);
    EXPECT_EQ(Shared.VersionUnread, 0);
    EXPECT_EQ(Shared.ScreenBuffer[5], 0x5A);
    EXPECT_EQ(Shared.ObjectNames.at(2), (TextPair{"Мост", "Bridge"}));
    // A state of its own shares nothing with the program's.
    SharedState own;
    EXPECT_EQ(own.Lang, 0);
    EXPECT_EQ(own.RecordCount, 0u);
    EXPECT_EQ(own.ObjectNames.at(2), DefaultObjectName(3));
    EXPECT_EQ(own.tr(MainText::Caption), QStringLiteral("Анализатор корозий "));
}

TEST_F(SharedStateTest, ObjectNamesStartAsNumberedObjects)
{
    const auto names = ObjectNames();
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
    auto before = ObjectNames();

    SetObjectNames(read);

    EXPECT_EQ(ObjectNames(), read);
    EXPECT_EQ(ObjectName(4), (TextPair{}));
    EXPECT_EQ(ObjectName(19), (TextPair{"Мост 19", "Bridge 19"}));
    EXPECT_EQ(before[0], DefaultObjectName(1)); // copies handed out earlier stay as they were
}

TEST_F(SharedStateTest, TrFollowsLangAtTheMomentOfUse)
{
    EXPECT_EQ(Tr(MainText::Caption), QStringLiteral("Анализатор корозий "));
    Lang = 1;
    EXPECT_EQ(Tr(MainText::Caption), QStringLiteral("Analyzer Concrete Corrosion "));
    EXPECT_EQ(Tr(SettingsText::Button1), QStringLiteral("Load into the device"));
    Lang = 0;
    EXPECT_EQ(Tr(SettingsText::Caption), QStringLiteral("Настройка Объектов"));
}

TEST_F(SharedStateTest, ExchangeActivitySignalsOnlyChanges)
{
    auto& activity = ExchangeActivity::instance();
    activity.setRunning(false);
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
