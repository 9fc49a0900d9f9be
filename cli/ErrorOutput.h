#pragma once

#include <QByteArray>
#include <QString>

// Writes "folderinventory-cli: <message>" and a line feed to standard error.
void PrintErrorLine(const QByteArray& message);
void PrintErrorLine(const QString& message);

// A usage error: the message and a hint at --help.
void PrintUsageError(const QString& message);
