#include "SessionMemory.h"

#include <QHash>

namespace {

QHash<QString, QVariant>& Values()
{
    static QHash<QString, QVariant> values;
    return values;
}

} // namespace

namespace SessionMemory {

QVariant value(const QString& key, const QVariant& fallback) { return Values().value(key, fallback); }

void setValue(const QString& key, const QVariant& value) { Values().insert(key, value); }

void remove(const QString& key) { Values().remove(key); }

void clear() { Values().clear(); }

} // namespace SessionMemory
