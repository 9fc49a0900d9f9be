#include "uMain.h"

#include "CaptionFont.h"
#include "FolderChooser.h"
#include "FolderListBox.h"
#include "MessageBox.h"
#include "run/SearchSettings.h"
#include "ScreenPlacement.h"
#include "SearchRun.h"
#include "Startup.h"
#include "uOptions.h"
#include "WindowKeys.h"

#include <iterator>
#include <limits>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextDocument>

TfrmMain* frmMain = nullptr;
bool Writing = false;

namespace {

constexpr int ClientWidth = 484;
constexpr int ClientHeight = 333;
constexpr int FolderItemHeight = 13;
constexpr int CsidlDrives = 17;
constexpr int ToolTipWakeUpMs = 250;
constexpr int ToolTipDurationMs = 5000;

const QString DefaultMasks = QStringLiteral("*.*");
const QString FolderChooserTitle = QStringLiteral("Verzeichnis auswählen");
const QString AboutTitle = QStringLiteral("Über FolderInventory");
const QString AboutText = QStringLiteral("FolderInventory (c) 2026 die FolderInventory-Entwickler\n"
                                         "https://folderinventory.example.org\n"
                                         "kontakt@folderinventory.example.org");

template <typename Widget> Widget* place(QWidget* parent, const char* name, const QRect& geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

template <typename Widget>
Widget* place(QWidget* parent, const char* name, const QRect& geometry, const QString& caption) {
    auto* widget = place<Widget>(parent, name, geometry);
    widget->setText(caption);
    return widget;
}

QGroupBox* placeGroup(QWidget* parent, const char* name, const QRect& geometry,
                      const QString& title) {
    auto* group = place<QGroupBox>(parent, name, geometry);
    group->setTitle(title);
    return group;
}

// A folder name may hold "<" and ">"; a tool-tip would take such a path for rich text and show
// something else than the path, so that path is escaped and shown on one line.
QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text.toHtmlEscaped());
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("FolderInventory"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);

    createSettingsGroup();
    createButtonRow();
    arrangeTabOrder();
    setToolTips();
    FormCreate();
    FitFontToCaptions(*this);
    showScopeOptions();
    connectHandlers();
    IgnoreEscape(*this);
    PlaceOnFirstShow(*this);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate() {
    InitSearchFiles(SearchFiles);
    SetApplicationToolTipTiming(ToolTipWakeUpMs, ToolTipDurationMs);
}

// The style draws a group's frame below its title, so the controls inside a group sit a few
// pixels lower than the window's original offsets (4 in the settings group, 3 in the two inner
// groups), clear of the frame line; the window's size and the groups' bottom margins allow it.
void TfrmMain::createSettingsGroup() {
    gbSettings = placeGroup(this, "gbSettings", {8, 8, 473, 289}, QStringLiteral("Einstellungen"));
    lbDirectories = place<QLabel>(gbSettings, "lbDirectories", {8, 20, 65, 13},
                                  QStringLiteral("Verzeichnisse"));
    lbFolders = new FolderListBox(gbSettings, FolderItemHeight);
    lbFolders->setObjectName(QStringLiteral("lbFolders"));
    lbFolders->setGeometry(8, 36, 185, 65);
    lbFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    btnAddDir =
        place<QPushButton>(gbSettings, "btnAddDir", {8, 108, 75, 25}, QStringLiteral("Hinzufügen"));
    btnRemoveDir = place<QPushButton>(gbSettings, "btnRemoveDir", {120, 108, 75, 25},
                                      QStringLiteral("Entfernen"));
    createRecurseGroup();
    lbFileMasks = place<QLabel>(gbSettings, "lbFileMasks", {200, 92, 151, 13},
                                QStringLiteral("Suche nach folgenden Dateien:"));
    edFileMasks = place<QLineEdit>(gbSettings, "edFileMasks", {200, 108, 265, 21});
    edFileMasks->setMaxLength(std::numeric_limits<int>::max());
    edFileMasks->setText(DefaultMasks);
    createScopeRow();
    createOutputGroup();
}

// Below the masks: the exclusion masks, and the button to the further options with what is set.
void TfrmMain::createScopeRow() {
    lbExclude =
        place<QLabel>(gbSettings, "lbExclude", {8, 144, 80, 13}, QStringLiteral("Ausschließen:"));
    edExclude = place<QLineEdit>(gbSettings, "edExclude", {92, 140, 373, 21});
    edExclude->setMaxLength(std::numeric_limits<int>::max());
    lbExclude->setBuddy(edExclude);
    btnOptions = place<QPushButton>(gbSettings, "btnOptions", {8, 168, 113, 25},
                                    QStringLiteral("Optionen..."));
    lbOptions = place<QLabel>(gbSettings, "lbOptions", {128, 174, 337, 13});
    showScopeOptions();
}

void TfrmMain::createRecurseGroup() {
    gbRecurse = placeGroup(gbSettings, "gbRecurse", {200, 20, 265, 65},
                           QStringLiteral("Suchen in Unterverzeichnissen"));
    cbUseSettingsForAll =
        place<QCheckBox>(gbRecurse, "cbUseSettingsForAll", {8, 19, 249, 17},
                         QStringLiteral("Suchoptionen für alle Verzeichnisse übernehmen"));
    cbUseSettingsForAll->setChecked(true);
    cbRecurse = place<QCheckBox>(gbRecurse, "cbRecurse", {8, 43, 241, 17},
                                 QStringLiteral("Unterverzeichnisse durchsuchen"));
    cbRecurse->setChecked(true);
}

void TfrmMain::createOutputGroup() {
    gbOutPut = placeGroup(gbSettings, "gbOutPut", {8, 196, 457, 89}, QStringLiteral("Ausgabe"));
    cbFileExts = place<QCheckBox>(gbOutPut, "cbFileExts", {8, 67, 441, 17},
                                  QStringLiteral("Dateiendungen anzeigen"));
    cbFileExts->setChecked(true);
    cbFileExts->setEnabled(false);
    rbAdvOutPut = place<QRadioButton>(gbOutPut, "rbAdvOutPut", {8, 19, 225, 17},
                                      QStringLiteral("Erweiterte Ausgabe"));
    rbAdvOutPut->setChecked(true);
    rbSimpleOutPut = place<QRadioButton>(gbOutPut, "rbSimpleOutPut", {232, 19, 217, 17},
                                         QStringLiteral("Einfache Ausgabe"));
    cbFullPath = place<QCheckBox>(gbOutPut, "cbFullPath", {8, 43, 257, 17},
                                  QStringLiteral("Vollständigen Pfad anzeigen"));
    cbFullPath->setEnabled(false);
    cbHash = place<QCheckBox>(gbOutPut, "cbHash", {272, 43, 177, 17},
                              QStringLiteral("Prüfsummen (SHA-256)"));
}

void TfrmMain::createButtonRow() {
    btnGo = place<QPushButton>(this, "btnGo", {8, 304, 113, 25}, QStringLiteral("Start!"));
    QFont bold;
    bold.setBold(true);
    btnGo->setFont(bold);
    btnGo->setDefault(true);
    btnReset = place<QPushButton>(this, "btnReset", {128, 304, 113, 25},
                                  QStringLiteral("Felder zurücksetzen"));
    btnQuit = place<QPushButton>(this, "btnQuit", {368, 304, 113, 25}, QStringLiteral("Beenden"));
    btnAbout = place<QPushButton>(this, "btnAbout", {248, 304, 113, 25}, QStringLiteral("Über..."));
}

// Group by group, as the window's tab order runs: the settings group with its two inner groups,
// then the button row, where "Beenden" comes before "Über...".
void TfrmMain::arrangeTabOrder() {
    QWidget* const order[] = {lbFolders,  btnAddDir,   btnRemoveDir,   cbUseSettingsForAll,
                              cbRecurse,  edFileMasks, edExclude,      btnOptions,
                              cbFileExts, rbAdvOutPut, rbSimpleOutPut, cbFullPath,
                              cbHash,     btnGo,       btnReset,       btnQuit,
                              btnAbout};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TfrmMain::setToolTips() {
    lbFolders->setToolTip(QStringLiteral("Liste mit Verzeichnissen, in denen gesucht wird."));
    btnAddDir->setToolTip(QStringLiteral("Fügt ein Verzeichnis der Liste hinzu."));
    btnRemoveDir->setToolTip(
        QStringLiteral("Entfernt das aktuelle markierte Verzeichnis aus der Liste."));
    cbUseSettingsForAll->setToolTip(
        QStringLiteral("Sollen die Suchoptionen für alle Verzeichnisse übernommen werden?"));
    cbRecurse->setToolTip(
        QStringLiteral("Sollen die Unterverzeichnisse ebenfalls durchsucht werden?"));
    edFileMasks->setToolTip(
        QStringLiteral("Geben Sie die Dateitypen ein, nach denen gesucht werden soll. Sie können "
                       "auch Wildcards, wie * oder ? verwenden."));
    const QString exclude = QStringLiteral(
        "Dateien und Verzeichnisse, die ausgelassen werden, als Masken getrennt durch \";\" "
        "(wie bei den Dateien, ohne Leerzeichen): eine Maske ohne \"/\" passt auf den Namen, "
        "wo er auch liegt (.git;node_modules), eine mit \"/\" auf den Pfad unterhalb des "
        "Suchverzeichnisses (Projekte/*/build). Ein ausgelassenes Verzeichnis wird nicht "
        "geöffnet.");
    lbExclude->setToolTip(exclude);
    edExclude->setToolTip(exclude);
    btnOptions->setToolTip(QStringLiteral("Weitere Optionen der Suche: nur ein Dateisystem, "
                                          "Tiefe, Größe und Alter der Dateien."));
    cbFileExts->setToolTip(QStringLiteral("Sollen die Endungen der Dateien angezeigt werden?"));
    rbAdvOutPut->setToolTip(
        QStringLiteral("Erweiterte Ausgabe der Ergebnisse, mit Anzeige der Dateigröße etc."));
    rbSimpleOutPut->setToolTip(QStringLiteral("Einfache Ausgabe der Ergebnisse"));
    cbFullPath->setToolTip(
        QStringLiteral("Soll der vollständige Pfad zur Datei angezeigt werden?"));
    cbHash->setToolTip(
        QStringLiteral("Jede Datei ganz lesen und ihre SHA-256-Prüfsumme festhalten: für das "
                       "Speichern als Tabelle, JSON Lines oder Prüfsummenliste und für den "
                       "Vergleich nach Inhalt. Die Suche dauert dann länger."));
    btnGo->setToolTip(QStringLiteral("Die Suche starten."));
    btnReset->setToolTip(QStringLiteral("Alle Felder in den Ursprungszustand zurückversetzen."));
    btnQuit->setToolTip(QStringLiteral("FolderInventory beenden."));
    btnAbout->setToolTip(QStringLiteral("Über FolderInventory..."));
}

// Connected after the controls have their initial states, so no handler runs while the window
// is built. Entries that the code adds, removes or clears never run lbFoldersClick: those
// changes block the list's signals. The Delete key in the folder list does what "Entfernen"
// does, and folders dropped on it are added as "Hinzufügen" adds them.
void TfrmMain::connectHandlers() {
    connect(btnAddDir, &QPushButton::clicked, this, &TfrmMain::btnAddDirClick);
    connect(lbFolders, &QListWidget::itemSelectionChanged, this, &TfrmMain::lbFoldersClick);
    connect(btnRemoveDir, &QPushButton::clicked, this, &TfrmMain::btnRemoveDirClick);
    new QShortcut(QKeySequence(Qt::Key_Delete), lbFolders, this, &TfrmMain::btnRemoveDirClick,
                  Qt::WidgetShortcut);
    connect(static_cast<FolderListBox*>(lbFolders), &FolderListBox::foldersDropped, this,
            &TfrmMain::addDroppedFolders);
    connect(btnGo, &QPushButton::clicked, this, &TfrmMain::btnGoClick);
    connect(btnQuit, &QPushButton::clicked, this, &TfrmMain::btnQuitClick);
    connect(cbRecurse, &QCheckBox::toggled, this, &TfrmMain::cbRecurseClick);
    connect(btnAbout, &QPushButton::clicked, this, &TfrmMain::btnAboutClick);
    connect(btnReset, &QPushButton::clicked, this, &TfrmMain::btnResetClick);
    connect(btnOptions, &QPushButton::clicked, this, &TfrmMain::btnOptionsClick);
    for (QRadioButton* style : {rbAdvOutPut, rbSimpleOutPut}) {
        connect(style, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                rbAdvOutPutClick();
        });
    }
}

QString TfrmMain::SelectFolder(int specialFolder, const QString& title) {
    return ChooseFolder(this, specialFolder, title);
}

int TfrmMain::selectedFolderIndex() const {
    const QList<QListWidgetItem*> selected = lbFolders->selectedItems();
    return selected.isEmpty() ? -1 : lbFolders->row(selected.first());
}

void TfrmMain::appendFolderEntry(const QString& path) {
    const QSignalBlocker quiet(lbFolders);
    lbFolders->addItem(path);
}

void TfrmMain::btnAddDirClick() {
    const QString path = SelectFolder(CsidlDrives, FolderChooserTitle);
    if (path.isEmpty())
        return;
    addFolder(path);
}

// Appends the folder with the state of cbRecurse; cbUseSettingsForAll has no say. The selection
// stays where it was.
void TfrmMain::addFolder(const QString& path) {
    AddSearchFolder(SearchFiles, path, cbRecurse->isChecked());
    appendFolderEntry(path);
    lbFoldersClick();
}

// Folders dropped on the list are added one by one, as "Hinzufügen" adds each.
void TfrmMain::addDroppedFolders(const QStringList& folders) {
    for (const QString& folder : folders)
        addFolder(folder);
}

void TfrmMain::lbFoldersClick() {
    const int index = selectedFolderIndex();
    if (index < 0)
        return;
    cbRecurse->setChecked(IsRecursive(SearchFiles.Recurse.at(index)));
    lbFolders->setToolTip(plainToolTip(lbFolders->item(index)->text()));
}

void TfrmMain::cbRecurseClick() {
    const int index = selectedFolderIndex();
    if (index < 0)
        return;
    SetSearchFolderRecursion(SearchFiles, index, cbRecurse->isChecked());
}

void TfrmMain::btnRemoveDirClick() {
    const int index = selectedFolderIndex();
    if (index < 0)
        return;
    DeleteSearchFolder(SearchFiles, index);
    const QSignalBlocker quiet(lbFolders);
    delete lbFolders->takeItem(index);
    lbFolders->clearSelection();
    lbFolders->setCurrentItem(nullptr);
}

void TfrmMain::rbAdvOutPutClick() {
    const bool simple = !rbAdvOutPut->isChecked();
    cbFullPath->setEnabled(simple);
    cbFileExts->setEnabled(simple);
}

void TfrmMain::btnResetClick() {
    SearchFiles.Folders.clear();
    SearchFiles.Recurse.clear();
    SearchFiles.Masks = DefaultMasks;
    {
        const QSignalBlocker quiet(lbFolders);
        lbFolders->clear();
    }
    cbUseSettingsForAll->setChecked(true);
    cbRecurse->setChecked(true);
    edFileMasks->setText(DefaultMasks);
    edExclude->clear();
    scopeOptions_ = ScopeOptions();
    showScopeOptions();
    rbAdvOutPut->setChecked(true);
    cbFullPath->setEnabled(false);
    cbFileExts->setEnabled(false);
    cbHash->setChecked(false);
}

void TfrmMain::btnOptionsClick() {
    TfrmOptions dialog(this, scopeOptions_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    scopeOptions_ = dialog.options();
    showScopeOptions();
}

// The summary beside "Optionen...", shortened at its end where it is too long; its tool-tip
// holds it whole.
void TfrmMain::showScopeOptions() {
    const QString summary = ScopeOptionsSummary(scopeOptions_);
    lbOptions->setText(
        lbOptions->fontMetrics().elidedText(summary, Qt::ElideRight, lbOptions->width()));
    lbOptions->setToolTip(summary);
}

SearchScope TfrmMain::searchScope(FileTime now) const {
    SearchScope scope;
    ScopeField field = ScopeField::None;
    ReadScopeOptions(scopeOptions_, now, scope, field);
    scope.Exclusions = edExclude->text();
    return scope;
}

void TfrmMain::btnAboutClick() {
    ShowAboutBox(this, AboutTitle, AboutText);
}

void TfrmMain::btnQuitClick() {
    close();
}

void TfrmMain::btnGoClick() {
    RunSearchFromMainWindow(*this);
}

// The focus is shown from the start, not only after the first Tab: the folder list holds it
// when the window opens.
void TfrmMain::showEvent(QShowEvent* event) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    QDialog::showEvent(event);
}
