#include "ListingOutput.h"

#include <string>

WriteOutcome WriteHeader(int fd, const QStringList& header) {
    std::string text;
    for (const QString& line : header) {
        text.append(line.toUtf8().toStdString());
        text.push_back('\n');
    }
    return WriteAll(fd, text);
}

WriteOutcome WriteListing(int fd, const Listing& listing) {
    const WriteOutcome outcome = WriteHeader(fd, listing.header);
    if (outcome != WriteOutcome::Written)
        return outcome;
    // The result lines already sit in one buffer, each followed by its line feed.
    return WriteAll(fd, listing.lines.text());
}

QString SaveListing(ListFileWriter& writer, const Listing& listing) {
    for (const QString& line : listing.header)
        writer.writeLine(line);
    for (qsizetype i = 0; i < listing.lines.size(); ++i)
        writer.writeLine(listing.lines.view(i));
    return writer.commit();
}
