#include "snapshot/SnapshotPage.h"

#include <QByteArray>
#include <QCryptographicHash>

std::string ContentHash(std::string_view text) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
                                 QCryptographicHash::Sha256);
    return "'sha256-" + digest.toBase64().toStdString() + "'";
}
