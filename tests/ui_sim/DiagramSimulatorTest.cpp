// The diagram of an archive read from the simulated instrument, as the user opens it: read,
// then "Построить  диграмму". The instrument may list its records newest or oldest first and
// count series per object or per sensor; the control rows show which surfaces came out.
#include "app/SharedState.h"
#include "support/SimulatorScenario.h"
#include "texts/Texts.h"
#include "ui/Unit1.h"
#include "worker/WorkerTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>

namespace {

struct Row {
    QString object, sensor;
    friend bool operator==(const Row&, const Row&) = default;
};
void PrintTo(const Row& r, std::ostream* os)
{
    *os << r.object.toStdString() << " / " << r.sensor.toStdString();
}

struct Case {
    const char* name;
    const char* archive;
    std::vector<Row> rows;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class DiagramSimulator : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 1);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        form = std::make_unique<TForm1>(shared);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        StopExchangeAtExit();
        form.reset();
        QLocale::setDefault(QLocale::c());
    }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }

    SharedState shared;
    std::unique_ptr<TForm1> form;
};

TEST_P(DiagramSimulator, ControlRowsShowTheSurfacesOfTheReadArchive)
{
    const Case& c = GetParam();
    ASSERT_TRUE(LoadScenario(std::string("prepare all 0\n") + c.archive + R"(
        object 1 name="Мост" series=4
        object 2 name="Опора" series=3
        field f hotspot=(2,2,2,-300)
        series object=1 sensor=potential count=3 field=f
        series object=1 sensor=resistance count=2 field=f
        series object=2 sensor=potential count=2 field=f
        series object=2 sensor=potential points=2 field=f
    )"));
    {
        ExchangeDeadline deadline(30000);
        button("Button1")->click();
    }
    ASSERT_TRUE(ExchangeEnds(20000));
    ASSERT_TRUE(WaitUntil([this] { return button("Button1")->isEnabled(); }, 2000));
    ASSERT_EQ(form->table().rowCount(), 1 + 28);

    // The diagram window is modal: read its control rows while it is open, then close it.
    std::vector<Row> rows;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* diagram = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!diagram || diagram->objectName() != QLatin1String("Form4")) return;
        seen = true;
        for (int k = 0; k < 30; ++k) {
            auto* object = diagram->findChild<QCheckBox*>(QStringLiteral("OB%1").arg(k));
            auto* sensor = diagram->findChild<QLabel*>(QStringLiteral("D%1").arg(k));
            if (object && sensor && object->isVisible()) rows.push_back({object->text(), sensor->text()});
        }
        diagram->reject();
    });
    poll.start(50);
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    poll.stop();
    ASSERT_TRUE(seen) << "the diagram window did not open";
    EXPECT_EQ(rows, c.rows);
}

std::vector<Case> Cases()
{
    const QString bridge = QStringLiteral("Мост"), pier = QStringLiteral("Опора");
    const QString p = QStringLiteral("Потенц."), r = QStringLiteral("Сопрот.");
    return {
        // Latest first, one count per object: each object one surface.
        {"NewestFirstPerObject", "archive order=newest-first numbering=object", {{pier, p}, {bridge, r}}},
        // Latest first, a count per sensor: the bridge splits into its two sensors.
        {"NewestFirstPerSensor",
         "archive order=newest-first numbering=sensor",
         {{pier, p}, {bridge, r}, {bridge, p}}},
        // Oldest first: the running total cuts the bridge into growing blocks.
        {"OldestFirstPerObject",
         "archive order=oldest-first numbering=object",
         {{bridge, p}, {bridge, p}, {bridge, p}, {bridge, p}, {bridge, r}, {pier, p}}},
        {"OldestFirstPerSensor",
         "archive order=oldest-first numbering=sensor",
         {{bridge, p}, {bridge, p}, {bridge, p}, {bridge, p}, {bridge, r}, {bridge, r}, {pier, p}}},
    };
}

INSTANTIATE_TEST_SUITE_P(Orders, DiagramSimulator, ::testing::ValuesIn(Cases()),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
