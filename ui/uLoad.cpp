#include "uLoad.h"

#include "CaptionFont.h"
#include "SearchSettings.h"
#include "uMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TfrmLoad* frmLoad = nullptr;

const QString SearchingText = QStringLiteral(
    "Bitte warten Sie, während FolderInventory nach den angegebenen Dateien sucht....");
const QString WritingText =
    QStringLiteral("Bitte warten Sie, während die Liste geschrieben wird...");

namespace {
// Pumps between entries and lines come at most this often; a cancel click still stops the run
// within a few milliseconds.
constexpr qint64 pumpIntervalMs = 3;
// The clock is read only every so many calls: a call comes every microsecond or so.
constexpr unsigned callsPerClockCheck = 16;
} // namespace

// Shows the engine's progress captions in the window and pumps Qt's event loop.
class TfrmLoad::Reporter final : public SearchProgress {
public:
    explicit Reporter(TfrmLoad& window) : window_(window) {}

    void setSearchCaption(const QString& text) override { window_.lbSearch->setText(text); }
    // The label sizes itself to its text. Digits are equally wide, so the size changes only
    // when the length of the text does.
    void setFoundCaption(const QString& text) override {
        const bool resize = text.size() != window_.lbFound->text().size();
        window_.lbFound->setText(text);
        if (resize)
            window_.lbFound->adjustSize();
    }
    void processMessages() override {
        QCoreApplication::processEvents();
        window_.sinceLastPump_.restart();
    }
    void processMessagesSoon() override { window_.processMessagesSoon(); }

private:
    TfrmLoad& window_;
};

TfrmLoad::TfrmLoad(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      reporter_(new Reporter(*this)) {
    setObjectName(QStringLiteral("frmLoad"));
    setWindowTitle(QStringLiteral("Es wird gesucht..."));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(434, 169);
    createControls();
    FitFontToCaptions(*this);
    sinceLastPump_.start();
}

TfrmLoad::~TfrmLoad() {
    delete reporter_;
}

void TfrmLoad::createControls() {
    gbSearch = new QGroupBox(QStringLiteral("Suchen..."), this);
    gbSearch->setObjectName(QStringLiteral("gbSearch"));
    gbSearch->setGeometry(8, 8, 417, 121);
    gbSearch->setFocusPolicy(Qt::NoFocus);

    lbSearching = new QLabel(SearchingText, gbSearch);
    lbSearching->setObjectName(QStringLiteral("lbSearching"));
    lbSearching->setGeometry(8, 16, 401, 17);
    lbSearching->setWordWrap(true);
    lbSearching->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbSearch = new QLabel(QStringLiteral("Suche in \"\"..."), gbSearch);
    lbSearch->setObjectName(QStringLiteral("lbSearch"));
    lbSearch->setGeometry(8, 40, 401, 41);
    lbSearch->setWordWrap(true);
    lbSearch->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A path without blanks is broken anywhere rather than pushed out of the label.
    lbSearch->setTextFormat(Qt::PlainText);

    lbFound = new QLabel(QStringLiteral("Elemente gefunden: %d"), gbSearch);
    lbFound->setObjectName(QStringLiteral("lbFound"));
    lbFound->move(8, 96);
    lbFound->adjustSize();

    Progress = new QProgressBar(gbSearch);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setGeometry(8, 56, 401, 17);
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
    btnCancel->setAutoDefault(false);
    btnCancel->setDefault(false);
    btnCancel->setFocusPolicy(Qt::StrongFocus);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLoad::btnCancelClick);
    setFocusProxy(btnCancel);
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

void TfrmLoad::showEvent(QShowEvent* event) {
    if (!shownBefore_) {
        shownBefore_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    btnCancel->setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

// Escape does not press "Abbrechen"; Enter and Space do only when the button has the focus,
// which the button handles itself.
void TfrmLoad::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

// The window has no close box; a close request from the window manager is refused, since the
// run alone decides when the window goes.
void TfrmLoad::closeEvent(QCloseEvent* event) {
    event->ignore();
}
