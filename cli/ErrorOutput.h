#pragma once

#include <QByteArray>
#include <QString>

// Messages on standard error, most often a terminal. Whatever part of a message came from
// outside (a name, an option's value, a line of a saved list) follows the terminal's rule for
// control characters (see ControlCharacters), so that nothing in it can steer the terminal, also
// when standard error goes to a log that is shown later.

// Writes "folderinventory-cli: <message>" and a line feed to standard error.
void PrintErrorLine(const QByteArray& message);
void PrintErrorLine(const QString& message);

// Writes "Hinweis: <note>." and a line feed to standard error.
void PrintNoteLine(const QString& note);

// A usage error: the message and a hint at --help.
void PrintUsageError(const QString& message);
