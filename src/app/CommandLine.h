#pragma once
#include <QString>
#include <QStringList>

/// The project file named on the command line: arguments 1..n (without the program name)
/// joined with single blanks, so that a path with blanks split by the shell is put back
/// together. Empty when there are no arguments.
inline QString ProjectNameFromArguments(const QStringList& arguments)
{
    return arguments.join(QLatin1Char(' '));
}
