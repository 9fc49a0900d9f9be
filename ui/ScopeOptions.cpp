#include "ScopeOptions.h"

#include "scope/ScopeText.h"

#include <QStringList>

namespace {

QString invalid(const QString& caption, const QString& value, const QString& reason) {
    return QStringLiteral("Ungültiger Wert \"%1\" bei \"%2\": %3").arg(value, caption, reason);
}

// One typed value: nothing when empty, else what `parse` reads or why it cannot.
template <typename Value, typename Parse>
bool readField(const QString& text, const QString& caption, Parse&& parse,
               std::optional<Value>& target, QString& error) {
    if (text.isEmpty())
        return true;
    QString reason;
    target = parse(text, reason);
    if (!target)
        error = invalid(caption, text, reason);
    return target.has_value();
}

} // namespace

QString ReadScopeOptions(const ScopeOptions& options, FileTime now, SearchScope& scope,
                         ScopeField& field) {
    scope.OneFileSystem = options.oneFileSystem;
    scope.MaxDepth.reset();
    scope.MinSize.reset();
    scope.MaxSize.reset();
    scope.NewerThan.reset();
    scope.OlderThan.reset();
    const auto when = [now](const QString& text, QString& reason) {
        return ParseWhenText(text, now, reason);
    };
    QString error;
    field = ScopeField::MaxDepth;
    if (!readField(options.maxDepth, QStringLiteral("Tiefe"), ParseDepthText, scope.MaxDepth,
                   error))
        return error;
    field = ScopeField::MinSize;
    if (!readField(options.minSize, QStringLiteral("Mindestgröße"), ParseSizeText, scope.MinSize,
                   error))
        return error;
    field = ScopeField::MaxSize;
    if (!readField(options.maxSize, QStringLiteral("Höchstgröße"), ParseSizeText, scope.MaxSize,
                   error))
        return error;
    if (scope.MinSize && scope.MaxSize && *scope.MinSize > *scope.MaxSize) {
        field = ScopeField::MinSize;
        return QStringLiteral("Die Mindestgröße \"%1\" liegt über der Höchstgröße \"%2\"")
            .arg(options.minSize, options.maxSize);
    }
    field = ScopeField::Newer;
    if (!readField(options.newer, QStringLiteral("Geändert nach"), when, scope.NewerThan, error))
        return error;
    field = ScopeField::Older;
    if (!readField(options.older, QStringLiteral("Geändert spätestens"), when, scope.OlderThan,
                   error))
        return error;
    if (scope.NewerThan && scope.OlderThan && !(*scope.NewerThan < *scope.OlderThan)) {
        field = ScopeField::Newer;
        return QStringLiteral("\"Geändert nach %1\" liegt nicht vor \"Geändert spätestens %2\"")
            .arg(options.newer, options.older);
    }
    field = ScopeField::None;
    return {};
}

QString ScopeOptionsSummary(const ScopeOptions& options) {
    QStringList parts;
    if (options.oneFileSystem)
        parts.append(QStringLiteral("ein Dateisystem"));
    if (!options.maxDepth.isEmpty())
        parts.append(QStringLiteral("höchstens %1 Ebenen").arg(options.maxDepth));
    if (!options.minSize.isEmpty())
        parts.append(QStringLiteral("ab %1").arg(options.minSize));
    if (!options.maxSize.isEmpty())
        parts.append(QStringLiteral("bis %1").arg(options.maxSize));
    if (!options.newer.isEmpty())
        parts.append(QStringLiteral("geändert nach %1").arg(options.newer));
    if (!options.older.isEmpty())
        parts.append(QStringLiteral("geändert spätestens %1").arg(options.older));
    return parts.isEmpty() ? QStringLiteral("keine weiteren Einschränkungen")
                           : parts.join(QStringLiteral(", "));
}
