#include "ListingOutput.h"

#include <string>

WriteOutcome WriteListing(int fd, const Listing& listing) {
    std::string header;
    for (const QString& line : listing.header) {
        header.append(line.toUtf8().toStdString());
        header.push_back('\n');
    }
    const WriteOutcome outcome = WriteAll(fd, header);
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
