#include "uList.h"

#include "CaptionFont.h"
#include "ComparisonRun.h"
#include "FileDialog.h"
#include "format/InventoryFile.h"
#include "IncompleteNote.h"
#include "LineView.h"
#include "MessageBox.h"
#include "output/ListFileWriter.h"
#include "ScreenPlacement.h"
#include "WindowKeys.h"

#include <algorithm>
#include <QFontDatabase>
#include <QPushButton>

TfrmList* frmList = nullptr;

namespace {

constexpr int clientWidth = 648;
constexpr int clientHeight = 394; // the list's 361 pixels and the row of buttons below it
constexpr int buttonHeight = 25;

// "Courier New" where it is installed, else the system's fixed-pitch font; 9 point.
QFont ListFont() {
    const QString courier = QStringLiteral("Courier New");
    QFont font = QFontDatabase::hasFamily(courier)
                     ? QFont(courier)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(9);
    return font;
}

// Writes every line followed by CR LF; the file is replaced only when all of it was written.
QString WriteListFile(const ShownLines& lines, const QString& fileName) {
    ListFileWriter writer(fileName);
    if (QString error = writer.open(); !error.isEmpty())
        return error;
    lines.copyTo(writer);
    return writer.commit();
}

} // namespace

TfrmList::TfrmList(QWidget* parent, Kind kind) : QDialog(parent) {
    const bool comparison = kind == Kind::Comparison;
    setObjectName(comparison ? QStringLiteral("frmCompare") : QStringLiteral("frmList"));
    setWindowTitle(comparison ? QStringLiteral("FolderInventory - Vergleich")
                              : QStringLiteral("FolderInventory - Dateiliste"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    createControls();
    if (!comparison)
        createCompareButton();
    FitFontToCaptions(*this);
    resize(clientWidth, clientHeight);
    FormResize();
    IgnoreEscape(*this);
    PressFocusedButtonOnEnter(*this);
    PlaceOnFirstShow(*this);
}

TfrmList::~TfrmList() = default;

void TfrmList::createControls() {
    mList = new LineView(this);
    mList->setObjectName(QStringLiteral("mList"));
    mList->setFont(ListFont());
    btnCopyToClipboard =
        createButton("btnCopyToClipboard", QStringLiteral("In die Zwischenablage kopieren"), 177);
    btnBack = createButton("btnBack", QStringLiteral("Zurück"), 83);
    btnSaveAs = createButton("btnSaveAs", QStringLiteral("Speichern unter..."), 177);
    lbIncomplete = new IncompleteNote(this);
    setTabOrder(mList, btnCopyToClipboard);
    setTabOrder(btnCopyToClipboard, btnBack);
    setTabOrder(btnBack, btnSaveAs);

    connect(btnCopyToClipboard, &QPushButton::clicked, this, &TfrmList::btnCopyToClipboardClick);
    connect(btnSaveAs, &QPushButton::clicked, this, &TfrmList::btnSaveAsClick);
    connect(btnBack, &QPushButton::clicked, this, &QDialog::accept); // modal result OK
}

// "Vergleichen..." stands between "Speichern unter..." and "Zurück" and follows "Speichern
// unter..." in the tab order.
void TfrmList::createCompareButton() {
    btnCompare = createButton("btnCompare", QStringLiteral("Vergleichen..."), 113);
    setTabOrder(btnSaveAs, btnCompare);
    connect(btnCompare, &QPushButton::clicked, this, &TfrmList::btnCompareClick);
}

QPushButton* TfrmList::createButton(const char* name, const QString& caption, int width) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->resize(width, buttonHeight);
    return button;
}

// ---- What the search run uses ----------------------------------------------------------------

int TfrmList::showModal() {
    return exec();
}

void TfrmList::setKeptRun(std::unique_ptr<KeptRun> run) {
    keptRun_ = std::move(run);
}

void TfrmList::setOutcome(const RunOutcome& outcome) {
    outcome_ = outcome;
    lbIncomplete->showOutcome(outcome_);
    FormResize();
}

// ---- Window ----------------------------------------------------------------------------------

// Every display opens with the focus on the list, wherever it was when the window was left,
// so its keys (select all, copy, Ctrl+End) work at once; the focus shows from the start.
void TfrmList::showEvent(QShowEvent* event) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    mList->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void TfrmList::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

// The list fills the client area above a row of buttons kept 4 pixels from the bottom edge:
// "Zurück" at the right, the two others at the left. A client area lower than the button row
// leaves the list 0 pixels high. The note on an incomplete list takes a line between the two.
void TfrmList::FormResize() {
    const int noteHeight = lbIncomplete->takenHeight();
    const int listHeight = std::max(0, height() - btnBack->height() - 8 - noteHeight);
    mList->setGeometry(0, 0, width(), listHeight);
    lbIncomplete->setGeometry(8, listHeight + 2, std::max(0, width() - 16), noteHeight);
    const int top = listHeight + noteHeight + 4;
    btnBack->move(width() - btnBack->width() - 4, top);
    btnCopyToClipboard->move(8, top);
    btnSaveAs->move(btnCopyToClipboard->x() + btnCopyToClipboard->width() + 8, top);
    if (btnCompare != nullptr)
        btnCompare->move(btnSaveAs->x() + btnSaveAs->width() + 8, top);
}

// ---- Actions ---------------------------------------------------------------------------------

void TfrmList::btnCopyToClipboardClick() {
    mList->selectAll();
    mList->copy();
}

void TfrmList::btnSaveAsClick() {
    FileDialogRequest request;
    request.parent = this;
    request.title = QStringLiteral("Datei speichern unter...");
    request.folder = DefaultSaveFolder();
    request.fileName = saveFileName_;
    request.filters =
        keptRun_ ? SaveFileFilters(keptRun_->records.digest().has_value()) : ListFileFilters();
    request.selectedFilter =
        request.filters.contains(saveFilter_) ? saveFilter_ : request.filters.constFirst();
    request.defaultSuffix = QStringLiteral("txt");
    const FileDialogAnswer answer = ShowSaveDialog(request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    const QString fileName = WithDefaultSuffix(
        answer.fileName, SuffixOfFilter(answer.selectedFilter, request.defaultSuffix));
    saveFileName_ = fileName;
    if (request.filters.contains(answer.selectedFilter))
        saveFilter_ = answer.selectedFilter;
    saveList(fileName, answer.selectedFilter);
}

// A failed save is shown in the error box; the window stays open with its text unchanged and an
// existing file of that name keeps its old content.
// The type chosen decides what is written: the run's records as a table, JSON Lines or an HTML
// page, or the list's text.
void TfrmList::saveList(const QString& fileName, const QString& filter) {
    QString error;
    const JsonListing::Tool program{"FolderInventory", FI_VERSION};
    if (keptRun_ && filter == CsvFileFilter)
        error = WriteInventoryFile(*keptRun_, InventoryFormat::Csv, fileName, program);
    else if (keptRun_ && filter == JsonLinesFileFilter)
        error = WriteInventoryFile(*keptRun_, InventoryFormat::Json, fileName, program);
    else if (keptRun_ && keptRun_->records.digest() && filter == ChecksumListFilter)
        error = WriteInventoryFile(*keptRun_, InventoryFormat::Sums, fileName, program);
    else if (keptRun_ && filter == HtmlFileFilter)
        error = WriteInventoryFile(*keptRun_, InventoryFormat::Html, fileName, program);
    else
        error = WriteListFile(mList->lines(), fileName);
    if (!error.isEmpty())
        ShowErrorBox(this, error);
    else
        listFiles_.lastListFile = fileName;
}

void TfrmList::btnCompareClick() {
    if (namesWithoutExtensions_) {
        ShowErrorBox(this, QStringLiteral("Die angezeigte Liste nennt die Namen ohne "
                                          "Dateierweiterung; eine solche Liste lässt sich nicht "
                                          "vergleichen, da eine geänderte Erweiterung unsichtbar "
                                          "bliebe."));
        return;
    }
    CompareWithEarlierList(*this, ShownList{mList->lines(), GapsOfRun(outcome_), keptRun_.get()},
                           listFiles_);
}
