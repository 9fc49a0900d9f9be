#include "uOptions.h"

#include "CaptionFont.h"
#include "MessageBox.h"
#include "scope/SearchScope.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int ClientWidth = 316;
constexpr int ClientHeight = 196;
constexpr int LabelWidth = 136;
constexpr int EditLeft = 148;
constexpr int EditWidth = 160;
constexpr int RowStep = 26;

const QString WhenHelp =
    QStringLiteral("ein Datum (2026-01-31), Datum und Uhrzeit (2026-01-31 14:30) in Ortszeit, "
                   "oder eine Zeitspanne zurück von jetzt: 30d, 12h (s, min, h, d, w)");
const QString SizeHelp =
    QStringLiteral("in Bytes, auch mit k, M, G oder T für 1024, 1024², 1024³, 1024⁴ Bytes (10M)");

} // namespace

TfrmOptions::TfrmOptions(QWidget* parent, const ScopeOptions& options) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optionen"));
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);

    edMaxDepth = addField("lbMaxDepth", "edMaxDepth", 8, QStringLiteral("&Tiefe (Ebenen):"),
                          QStringLiteral("Unterverzeichnisse nur so viele Ebenen tief betreten "
                                         "(0: keine); tiefere werden aufgeführt, aber nicht "
                                         "betreten. Leer: alle Ebenen."),
                          lbMaxDepth);
    edMinSize = addField("lbMinSize", "edMinSize", 8 + RowStep, QStringLiteral("&Mindestgröße:"),
                         QStringLiteral("Nur Dateien ab dieser Größe aufführen, ") + SizeHelp +
                             QStringLiteral(". Leer: jede Größe."),
                         lbMinSize);
    edMaxSize = addField("lbMaxSize", "edMaxSize", 8 + 2 * RowStep, QStringLiteral("&Höchstgröße:"),
                         QStringLiteral("Nur Dateien bis zu dieser Größe aufführen, ") + SizeHelp +
                             QStringLiteral(". Leer: jede Größe."),
                         lbMaxSize);
    edNewer = addField("lbNewer", "edNewer", 8 + 3 * RowStep, QStringLiteral("Geändert &nach:"),
                       QStringLiteral("Nur Dateien, die danach geändert wurden: ") + WhenHelp +
                           QStringLiteral(". Leer: jedes Alter."),
                       lbNewer);
    edOlder =
        addField("lbOlder", "edOlder", 8 + 4 * RowStep, QStringLiteral("Geändert &spätestens:"),
                 QStringLiteral("Nur Dateien, die spätestens dann geändert wurden: ") + WhenHelp +
                     QStringLiteral(". Leer: jedes Alter."),
                 lbOlder);
    cbOneFileSystem = new QCheckBox(QStringLiteral("Nur ein &Dateisystem durchsuchen"), this);
    cbOneFileSystem->setObjectName(QStringLiteral("cbOneFileSystem"));
    cbOneFileSystem->setGeometry(8, 8 + 5 * RowStep + 2, 300, 17);
    cbOneFileSystem->setToolTip(
        QStringLiteral("Verzeichnisse auf einem anderen Dateisystem (Einhängepunkte, "
                       "Netzlaufwerke) aufführen, aber nicht betreten."));

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(ClientWidth - 2 * 83 - 8, ClientHeight - 33, 75, 25);
    btnOk->setDefault(true);
    btnOk->setToolTip(QStringLiteral("Die Optionen übernehmen."));
    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(ClientWidth - 83, ClientHeight - 33, 75, 25);
    btnCancel->setToolTip(QStringLiteral("Die Optionen bleiben, wie sie waren."));

    edMaxDepth->setText(options.maxDepth);
    edMinSize->setText(options.minSize);
    edMaxSize->setText(options.maxSize);
    edNewer->setText(options.newer);
    edOlder->setText(options.older);
    cbOneFileSystem->setChecked(options.oneFileSystem);
    FitFontToCaptions(*this);

    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmOptions::~TfrmOptions() = default;

QLineEdit* TfrmOptions::addField(const char* labelName, const char* editName, int top,
                                 const QString& caption, const QString& toolTip, QLabel*& label) {
    label = new QLabel(caption, this);
    label->setObjectName(QLatin1String(labelName));
    label->setGeometry(8, top + 4, LabelWidth, 13);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(editName));
    edit->setGeometry(EditLeft, top, EditWidth, 21);
    edit->setToolTip(toolTip);
    label->setToolTip(toolTip);
    label->setBuddy(edit);
    return edit;
}

ScopeOptions TfrmOptions::options() const {
    return {cbOneFileSystem->isChecked(), edMaxDepth->text().trimmed(), edMinSize->text().trimmed(),
            edMaxSize->text().trimmed(),  edNewer->text().trimmed(),    edOlder->text().trimmed()};
}

QLineEdit* TfrmOptions::editOf(ScopeField field) const {
    switch (field) {
    case ScopeField::MaxDepth:
        return edMaxDepth;
    case ScopeField::MinSize:
        return edMinSize;
    case ScopeField::MaxSize:
        return edMaxSize;
    case ScopeField::Newer:
        return edNewer;
    case ScopeField::Older:
        return edOlder;
    case ScopeField::None:
        break;
    }
    return nullptr;
}

void TfrmOptions::btnOkClick() {
    SearchScope scope;
    ScopeField field = ScopeField::None;
    const QString error = ReadScopeOptions(options(), CurrentTime(), scope, field);
    if (error.isEmpty()) {
        accept();
        return;
    }
    ShowErrorBox(this, error);
    if (QLineEdit* edit = editOf(field)) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}
