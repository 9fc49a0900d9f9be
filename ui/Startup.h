#pragma once

class QApplication;
class QCoreApplication;
class QIcon;
class QLocale;
class QTranslator;

// Loads Qt's own translation (qtbase_<language>.qm) for `locale`, so the standard dialogs and
// buttons speak the user's language. Returns the installed translator, owned by `app`, or
// nullptr when there is no translation for that locale.
QTranslator* InstallQtTranslation(QCoreApplication& app, const QLocale& locale);

// For every widget of the application: how long the pointer rests before a tool-tip shows,
// and how long the tool-tip stays.
void SetApplicationToolTipTiming(int wakeUpMs, int durationMs);

// The program's icon, rendered from its SVG source at several sizes when the program was built.
QIcon ApplicationIcon();

// What every run of the windows sets first, the program's own start-up as much as a test's or a
// benchmark's: the application title, the icon every window carries, Qt's translation for the
// user's locale, the program's style, and that only the main window's closing ends the program.
void PrepareApplication(QApplication& app);

// Creates frmMain, frmList and frmLoad, in this order, all hidden.
void CreateFolderInventoryWindows();

// Destroys the three windows and sets the globals back to nullptr.
void DestroyFolderInventoryWindows();

// The program: application title, translation, the three windows, and the event loop, which
// ends when the main window is closed.
int RunFolderInventory(int argc, char** argv);
