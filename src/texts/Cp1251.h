#pragma once
#include <QByteArray>
#include <QString>

// Windows-1251 conversion, used where texts leave or enter the program as bytes
// (project files, the instrument's name fields). Written out as a table so that it
// works the same whether or not the platform's Qt was built with ICU.

/// The byte every character outside the code page becomes ('?').
inline constexpr char kCp1251Unmappable = '?';

/// Every character outside the code page becomes one kCp1251Unmappable, a character
/// written as a surrogate pair included.
QByteArray ToCp1251(const QString& text);
/// ToCp1251(text) appended to `out`, without a copy of its own.
void AppendCp1251(QByteArray& out, const QString& text);
QString FromCp1251(const QByteArray& bytes);
QString FromCp1251(const char* bytes, qsizetype length);
/// One character; returns false (and leaves `out`) when it is outside the code page.
bool Cp1251Byte(QChar c, char& out);
QChar Cp1251Char(unsigned char byte);
/// Whether text[i] and text[i + 1] form one character written as a surrogate pair.
bool IsSurrogatePairAt(const QString& text, qsizetype i);
