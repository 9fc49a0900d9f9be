#include "compare/ListingComparison.h"

// The notes of a comparison and its summary: what could not be compared, and why.

namespace {

QString otherListOf(bool earlierSide) {
    return earlierSide ? QStringLiteral("der neuen Liste") : QStringLiteral("der früheren Liste");
}

QString entriesOpen(std::int64_t count, const QString& ofList, const QString& where) {
    return count == 1
               ? QStringLiteral("1 Eintrag %1 %2 bleibt offen").arg(ofList, where)
               : QStringLiteral("%1 Einträge %2 %3 bleiben offen").arg(count).arg(ofList, where);
}

} // namespace

QString ListingComparison::sideName(bool earlierSide) {
    return earlierSide ? QStringLiteral("Frühere Liste") : QStringLiteral("Neue Liste");
}

// Each path under which a list shows several entries is named once, changed or not; what lies
// below such a path is left open without a name of its own.
void ListingComparison::nameAlike(const Step& step) {
    if (step.outcome == Outcome::Passed)
        return;
    const PathSet& before = earlier_.listing.entries;
    const PathSet& after = later_.listing.entries;
    if ((step.earlier != none && before.ambiguous(step.earlier)) ||
        (step.later != none && after.ambiguous(step.later)))
        complete_ = false;
    for (const bool earlierSide : {true, false}) {
        const PathSet& set = earlierSide ? before : after;
        const std::size_t i = earlierSide ? step.earlier : step.later;
        if (i != none && set.listedDifferently(i) && !set.shownAlike(i))
            noteListedDifferently(set, i, earlierSide);
    }
    const bool earlierAlike = step.earlier != none && before.shownAlike(step.earlier);
    const bool laterAlike = step.later != none && after.shownAlike(step.later);
    if (!earlierAlike && !laterAlike)
        return;
    if (alikeNotes_.size() >= namedNotes) {
        ++alikeUnnamed_;
        return;
    }
    const QString which =
        earlierAlike && laterAlike ? QStringLiteral("Beide Listen") : sideName(earlierAlike);
    const std::string path = earlierAlike ? before.path(step.earlier) : after.path(step.later);
    alikeNotes_.append(QStringLiteral("%1: Mehrere Einträge eines Verzeichnisses erscheinen als "
                                      "%2; ob sie (und was darunter liegt) sich geändert haben, "
                                      "bleibt offen")
                           .arg(which, QString::fromStdString(path)));
}

// An entry that a list names twice with other sizes or times: which one is right, the list does
// not say.
void ListingComparison::noteListedDifferently(const PathSet& set, std::size_t i, bool earlierSide) {
    if (alikeNotes_.size() >= namedNotes) {
        ++alikeUnnamed_;
        return;
    }
    const auto [first, other] = set.differingLines(i);
    const QString where =
        first > 0 && other > 0
            ? QStringLiteral("steht in den Zeilen %1 und %2").arg(first).arg(other)
            : QStringLiteral("steht mehrmals");
    alikeNotes_.append(QStringLiteral("%1: %2 %3 mit verschiedener Größe, Zeit oder Prüfsumme; "
                                      "ob es sich geändert hat, bleibt offen")
                           .arg(sideName(earlierSide), QString::fromStdString(set.path(i)), where));
}

QString ListingComparison::gapNote(const Gap& gap) const {
    if (gap.open == 0)
        return gap.text;
    const QString ofList = otherListOf(gap.earlierSide);
    switch (gap.kind) {
    case GapKind::End:
        return gap.text + QStringLiteral("; ") + entriesOpen(gap.open, ofList, "hinter ihrem Ende");
    case GapKind::Folder:
        return gap.text + QStringLiteral(" (") + entriesOpen(gap.open, ofList, "darin") +
               QStringLiteral(")");
    case GapKind::Sizes:
        break;
    }
    return gap.text + (gap.open == 1
                           ? QStringLiteral(" (1 geänderte Größe bleibt offen)")
                           : QStringLiteral(" (%1 geänderte Größen bleiben offen)").arg(gap.open));
}

// The notes after those on the searches and forms: the gaps of the earlier and of the later
// list, the first few folders of each by name and the rest summed up, then names shown alike.
void ListingComparison::buildNotes() {
    addScopeNote();
    for (const bool earlierSide : {true, false}) {
        int named = 0;
        std::int64_t unnamed = 0;
        std::int64_t unnamedOpen = 0;
        for (const Gap& gap : gaps_) {
            if (gap.earlierSide != earlierSide)
                continue;
            if (gap.kind != GapKind::End && named++ >= namedNotes) {
                ++unnamed;
                unnamedOpen += gap.open;
                continue;
            }
            notes_.append(gapNote(gap));
        }
        if (unnamed > 0) {
            notes_.append(QStringLiteral("%1: %2 weitere Verzeichnisse nicht oder ohne Größen "
                                         "gelesen; %3 Einträge darin bleiben offen")
                              .arg(sideName(earlierSide))
                              .arg(unnamed)
                              .arg(unnamedOpen));
        }
    }
    digestless_.appendTo(notes_);
    notes_ += alikeNotes_;
    if (alikeUnnamed_ > 0) {
        notes_.append(QStringLiteral("Unter %1 weiteren Pfaden erscheinen mehrere Einträge eines "
                                     "Verzeichnisses, oder einer mehrmals mit verschiedener Größe "
                                     "oder Zeit; ob sie (und was darunter liegt) sich geändert "
                                     "haben, bleibt offen")
                          .arg(alikeUnnamed_));
    }
}

std::string ListingComparison::summary() const {
    QString text =
        QStringLiteral("%1 neu, %2 entfernt, %3 geändert").arg(added_).arg(removed_).arg(changed_);
    if (!complete_ && open_ > 0)
        text += QStringLiteral("; unvollständig, %1 offen (siehe Hinweis)").arg(open_);
    else if (!complete_)
        text += QStringLiteral("; unvollständig (siehe Hinweis)");
    return text.toStdString();
}

// Lists of different scopes compare only within the narrower one.
void ListingComparison::addScopeNote() {
    const QString note = ScopeNote(*earlier_.reach, *later_.reach, outside_);
    if (!note.isEmpty())
        notes_.append(note);
}
