#pragma once

#include "DialogSeam.h"

#include <QString>

class QWidget;

// What a message box shows; its only answer is OK.
struct MessageBoxRequest {
    QWidget* parent = nullptr;
    QString title;
    QString text;
};
enum class MessageBoxAnswer { Ok };
using MessageBoxSeam = DialogSeam<MessageBoxRequest, MessageBoxAnswer>;

// The error box: stop icon, OK button, caption "FolderInventory" and the error's message with
// the full stop rule applied (see WithFullStop). A test answers it through ErrorBoxSeam().
void ShowErrorBox(QWidget* parent, const QString& message);
MessageBoxSeam& ErrorBoxSeam();

// The about box: information icon, OK button, plain text. A test answers it through
// AboutBoxSeam().
void ShowAboutBox(QWidget* parent, const QString& title, const QString& text);
MessageBoxSeam& AboutBoxSeam();
