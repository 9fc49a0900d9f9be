#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

enum class ControlCharacters;

// Folder names and masks given on a command line are bytes, and not every byte string is UTF-8.
// The settings hold them as text, so each byte that is not part of valid UTF-8 travels as one
// unpaired low surrogate (U+DC80 to U+DCFF) and comes back as the same byte when the text
// reaches the file system. Text typed or chosen in a window never holds such surrogates.

// `bytes` as settings text: valid UTF-8 decoded, every other byte kept as its surrogate.
QString PathTextFromBytes(QByteArrayView bytes);

// The bytes that `text` stands for: the inverse of PathTextFromBytes, UTF-8 for ordinary text.
QByteArray PathTextBytes(const QString& text);

// `text` as it is shown: each byte kept as a surrogate becomes U+FFFD, as in a listing.
QString ShownPathText(QString text);

// Settings text (a folder, a mask, a caption built from them) as it is shown, by the same rule as
// the listing's names: the bytes it stands for through DisplayText.
QString ShownText(const QString& text, ControlCharacters rule);
