#include "ListFileWriter.h"

#include <QFileInfo>

namespace {
constexpr std::size_t flushThreshold = 1 << 20;
}

ListFileWriter::ListFileWriter(const QString& fileName) : file_(fileName) {}

QString ListFileWriter::cannotCreateMessage(const QString& fileName) {
    return QStringLiteral("Cannot create file %1").arg(fileName);
}

QString ListFileWriter::writeErrorMessage() {
    return QStringLiteral("Stream write error");
}

QString ListFileWriter::open() {
    // An existing file that may not be written is not replaced behind its owner's back.
    const QFileInfo target(file_.fileName());
    const bool lockedTarget = target.exists() && (!target.isFile() || !target.isWritable());
    if (lockedTarget || !file_.open(QIODevice::WriteOnly))
        return cannotCreateMessage(QFileInfo(file_.fileName()).absoluteFilePath());
    buffer_.reserve(flushThreshold + 4096);
    return {};
}

void ListFileWriter::writeLine(std::string_view utf8Line) {
    buffer_.append(utf8Line);
    buffer_.append("\r\n");
    if (buffer_.size() >= flushThreshold)
        flushBuffer();
}

void ListFileWriter::writeLine(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    writeLine(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void ListFileWriter::flushBuffer() {
    if (!failed_ && !buffer_.empty()) {
        const auto size = static_cast<qint64>(buffer_.size());
        failed_ = file_.write(buffer_.data(), size) != size;
    }
    buffer_.clear();
}

QString ListFileWriter::commit() {
    flushBuffer();
    if (failed_ || !file_.commit()) {
        file_.cancelWriting();
        return writeErrorMessage();
    }
    return {};
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
