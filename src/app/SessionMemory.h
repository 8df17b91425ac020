#pragma once
// What the program remembers while it runs: the recent projects, where a window was left, the
// choices of the survey analysis. Nothing of it outlives the run; every start begins from the
// same defaults, so the program keeps no settings file. Window thread only. QtCore.
#include <QString>
#include <QVariant>

namespace SessionMemory {

/// The value kept under `key`, or `fallback` when nothing is.
QVariant value(const QString& key, const QVariant& fallback = {});
void setValue(const QString& key, const QVariant& value);
void remove(const QString& key);
/// Forgets everything, as a new run would (tests).
void clear();

} // namespace SessionMemory
