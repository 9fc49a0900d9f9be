#include "uLoad.h"

#include "base/VectorState.h"
#include "CaptionFont.h"
#include "FolderCaption.h"
#include "run/SearchSettings.h"
#include "ScreenPlacement.h"
#include "ToolbarWindowType.h"
#include "uMain.h"
#include "WindowKeys.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

TfrmLoad* frmLoad = nullptr;

const QString SearchingText = QStringLiteral(
    "Bitte warten Sie, während FolderInventory nach den angegebenen Dateien sucht....");
const QString WritingText =
    QStringLiteral("Bitte warten Sie, während die Liste geschrieben wird...");

namespace {

// Steps of the bar of bytes read.
constexpr int readSteps = 1000;

// Pumps between entries and lines come at most this often; a cancel click still stops the run
// within a few milliseconds.
constexpr qint64 pumpIntervalMs = 3;
// The clock is read only every so many calls: a call comes every microsecond or so.
constexpr unsigned callsPerClockCheck = 16;
// The folder being searched and the count of files found are shown anew at most this often.
constexpr qint64 captionIntervalMs = 100;
// A title bar, so the window can be moved, and no border icons at all: without the system menu,
// minimise, maximise and close hints Qt asks the window manager (Motif hints) for the title and
// border decorations only. Window managers that take from those hints only whether there is a
// title bar are asked once more by the window's X11 type (UseToolbarWindowType).
constexpr Qt::WindowFlags progressWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
} // namespace

// Shows the engine's progress as the window's captions and pumps Qt's event loop.
class TfrmLoad::Reporter final : public SearchProgress {
public:
    explicit Reporter(TfrmLoad& window) : window_(window) {}

    // Only kept here: the captions are made when they are shown.
    void searching(std::string_view folderPath, std::int64_t filesFound) override {
        window_.searchPath_.assign(folderPath);
        window_.filesFound_ = filesFound;
        window_.captionsPending_ = true;
        window_.showCaptionsSoon();
    }
    // The drawing may leave the vector registers in use, which would slow the search's own
    // code and the workers it starts after the pump.
    void processMessages() override {
        QCoreApplication::processEvents();
        ClearUpperVectorRegisters();
        window_.sinceLastPump_.restart();
    }
    void processMessagesSoon() override { window_.processMessagesSoon(); }
    void readProgress(std::int64_t bytesRead, std::int64_t bytesFound) override {
        window_.showReadProgress(bytesRead, bytesFound);
    }

private:
    TfrmLoad& window_;
};

TfrmLoad::TfrmLoad(QWidget* parent)
    : QWidget(parent, progressWindowFlags), reporter_(std::make_unique<Reporter>(*this)) {
    setObjectName(QStringLiteral("frmLoad"));
    setWindowTitle(QStringLiteral("Es wird gesucht..."));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(434, 169);
    createControls();
    FitFontToCaptions(*this);
    IgnoreEscape(*this);
    PressFocusedButtonOnEnter(*this);
    PlaceOnFirstShow(*this);
    UseToolbarWindowType(*this);
    sinceLastPump_.start();
    captionTimer_.setSingleShot(true);
    connect(&captionTimer_, &QTimer::timeout, this, &TfrmLoad::showCaptions);
}

TfrmLoad::~TfrmLoad() = default;

// The style draws the group's frame below its title: the controls inside it sit 5 pixels lower
// than the window's original offsets, clear of the frame line.
void TfrmLoad::createControls() {
    gbSearch = new QGroupBox(QStringLiteral("Suchen..."), this);
    gbSearch->setObjectName(QStringLiteral("gbSearch"));
    gbSearch->setGeometry(8, 8, 417, 121);
    gbSearch->setFocusPolicy(Qt::NoFocus);

    lbSearching = new QLabel(SearchingText, gbSearch);
    lbSearching->setObjectName(QStringLiteral("lbSearching"));
    lbSearching->setGeometry(8, 21, 401, 17);
    lbSearching->setWordWrap(true);
    lbSearching->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbSearch = new QLabel(QStringLiteral("Suche in \"\"..."), gbSearch);
    lbSearch->setObjectName(QStringLiteral("lbSearch"));
    lbSearch->setGeometry(8, 45, 401, 41);
    lbSearch->setWordWrap(true);
    lbSearch->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A path without blanks is broken anywhere rather than pushed out of the label.
    lbSearch->setTextFormat(Qt::PlainText);

    lbFound = new QLabel(QStringLiteral("Elemente gefunden: %d"), gbSearch);
    lbFound->setObjectName(QStringLiteral("lbFound"));
    lbFound->move(8, 101);
    lbFound->adjustSize();

    ReadProgress = new QProgressBar(gbSearch);
    ReadProgress->setObjectName(QStringLiteral("ReadProgress"));
    ReadProgress->setGeometry(8, 88, 401, 10);
    ReadProgress->setRange(0, readSteps);
    ReadProgress->setTextVisible(false);
    ReadProgress->hide();
    lbRead = new QLabel(gbSearch);
    lbRead->setObjectName(QStringLiteral("lbRead"));
    lbRead->setGeometry(160, 101, 249, 13);
    lbRead->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lbRead->hide();

    Progress = new QProgressBar(gbSearch);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setGeometry(8, 61, 401, 17);
    Progress->setRange(0, 100);
    Progress->setTextVisible(false);
    Progress->hide();

    lbClickCancel = new QLabel(
        QStringLiteral("Klicken Sie auf \"Abbrechen\", um den Vorgang abzubrechen"), this);
    lbClickCancel->setObjectName(QStringLiteral("lbClickCancel"));
    lbClickCancel->setGeometry(8, 136, 285, 13);

    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(344, 136, 75, 25);
    btnCancel->setFocusPolicy(Qt::StrongFocus);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLoad::btnCancelClick);
    setFocusProxy(btnCancel);
}

// The first captions show at once, later ones once those before have been shown for a while;
// of several in that time, the last.
void TfrmLoad::showCaptionsSoon() {
    if (captionTimer_.isActive())
        return;
    const qint64 shownFor =
        sinceCaptionsShown_.isValid() ? sinceCaptionsShown_.elapsed() : LLONG_MAX;
    if (shownFor >= captionIntervalMs)
        showCaptions();
    else
        captionTimer_.start(static_cast<int>(captionIntervalMs - shownFor));
}

void TfrmLoad::showCaptionsNow() {
    captionTimer_.stop();
    showCaptions();
}

// A path too long for the label is shortened in the middle, so the folder being read shows.
// The found label sizes itself to its text; digits are equally wide, so the size changes only
// when the length of the text does.
void TfrmLoad::showCaptions() {
    if (std::exchange(captionsPending_, false)) {
        lbSearch->setText(FitFolderCaption(SearchCaption(searchPath_), *lbSearch));
        const QString found = FoundCaption(filesFound_);
        const bool resize = found.size() != lbFound->text().size();
        lbFound->setText(found);
        if (resize)
            lbFound->adjustSize();
    }
    sinceCaptionsShown_.start();
}

// The bar runs over the sizes of the files found so far, which grow while the search goes on; the
// label says how much that is and, once a rate is known, how long the rest takes.
void TfrmLoad::showReadProgress(std::int64_t bytesRead, std::int64_t bytesFound) {
    if (!ReadProgress->isVisible()) {
        readRate_ = ReadRate();
        ReadProgress->show();
        lbRead->show();
    }
    readRate_.update(bytesRead);
    const double share =
        bytesFound > 0 ? std::min(1.0, double(bytesRead) / double(bytesFound)) : 0.0;
    ReadProgress->setValue(static_cast<int>(share * readSteps));
    QString text = ShownByteCount(bytesRead) + QStringLiteral(" von ") +
                   ShownByteCount(std::max(bytesRead, bytesFound)) + QStringLiteral(" gelesen");
    if (const std::optional<std::chrono::seconds> left = readRate_.timeLeft(bytesFound - bytesRead))
        text += QStringLiteral(", ") + TimeLeftText(*left);
    lbRead->setText(text);
}

void TfrmLoad::hideReadProgress() {
    ReadProgress->hide();
    lbRead->hide();
}

SearchProgress& TfrmLoad::progress() {
    return *reporter_;
}

void TfrmLoad::btnCancelClick() {
    SearchFiles.Searching = false;
    Writing = false;
}

bool TfrmLoad::pumpIsDue() {
    if (++callsSinceClockCheck_ < callsPerClockCheck)
        return false;
    callsSinceClockCheck_ = 0;
    return sinceLastPump_.elapsed() >= pumpIntervalMs;
}

void TfrmLoad::processMessagesSoon() {
    if (pumpIsDue())
        reporter_->processMessages();
}

// "Abbrechen" holds the focus and shows it from the start, not only after a key was pressed.
void TfrmLoad::showEvent(QShowEvent* event) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    btnCancel->setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

// The window asks for no close box, but some window managers draw one anyway: a close request
// acts as "Abbrechen". The window itself stays until the run, now stopping, hides it and shows
// what it has.
void TfrmLoad::closeEvent(QCloseEvent* event) {
    event->ignore();
    btnCancelClick();
}
