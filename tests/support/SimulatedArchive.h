#pragma once
// The archive table the main window fills from the instrument simulator's archive, built
// without a USB exchange: scenario text (or file) in, Russian table texts out.
#include "archive/ArchiveTable.h"
#include "device/Formats.h"
#include "model/Archive.h"
#include "model/Scenario.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

/// The table the main window fills from the simulator's archive (Russian texts).
inline ArchiveTable SimulatedTable(const std::string& scenarioText, const std::string& scenarioPath = {})
{
    std::string error;
    auto scenario = scenarioPath.empty() ? lm11sim::ParseScenario(scenarioText, ".", error)
                                         : lm11sim::LoadScenarioFile(scenarioPath, error);
    EXPECT_TRUE(scenario) << error;
    if (!scenario) return {};
    auto archive = lm11sim::BuildArchive(*scenario, error);
    EXPECT_TRUE(archive) << error;
    if (!archive) return {};
    std::vector<ArchiveRecord> records;
    for (const lm11sim::Record& r : archive->records) {
        EXPECT_TRUE(IsRecordValid(r));
        records.push_back(DecodeRecord(r));
    }
    ObjectNameList names = DefaultObjectNames();
    for (std::size_t k = 0; k < names.size(); ++k) {
        const ObjectSettings o = DecodeSettingsEntry(archive->settings, k);
        names[k] = {o.nameRu, o.nameEn};
    }
    ArchiveTable table;
    table.fillFromRecords(records, 0, names);
    return table;
}
