#pragma once

#include "compare/ListingReader.h"

#include <memory>
#include <QString>
#include <string>
#include <string_view>

namespace simdjson::dom {
class parser;
}

// Whether a text whose first line is `line` is an inventory in JSON Lines rather than a listing:
// the line is a JSON object, which no line of a listing is (a simple listing's first path may
// start with "{" too, as "{a}/x.txt" of a relative folder "{a}" does, but never ends an object).
bool IsJsonObjectLine(std::string_view line);

// Whether `line` starts as the writer starts an inventory's first line. Such a line that is no
// JSON object is an inventory cut off or broken there, unless it reads as a listing (a simple
// listing of a relative folder whose name starts so).
bool StartsLikeInventory(std::string_view line);

// Reads an inventory in JSON Lines back, as JsonListing writes it, line by line: the inventory
// line first (format 2, or format 1 as earlier versions wrote it), then the entries, each with
// its exact path, its size (files) and its time, either of them null where it could not be read
// (format 2), then the summary, whose "complete":false makes the list's gaps (a cancelled run ends
// early, folders it could not read). A list without its summary was cut off and ends early too.
// Anything else is refused with the number of the line and the reason, as soon as it is seen.
// Each line is parsed with simdjson, which checks it whole (UTF-8 included) and is many times
// faster than QJsonDocument on lists of a million lines.
class JsonInventoryReader final {
public:
    JsonInventoryReader();
    ~JsonInventoryReader();
    JsonInventoryReader(const JsonInventoryReader&) = delete;
    JsonInventoryReader& operator=(const JsonInventoryReader&) = delete;

    // Line `number` of the text, without its line end.
    void addLine(std::string_view line, long long number);
    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }
    // Ends the text; `cutReason` says why the last line was dropped, when it was.
    SavedListing finish(const QString& cutReason);

private:
    enum class State { Header, Entries, End };
    void fail(long long number, const QString& reason);

    std::unique_ptr<simdjson::dom::parser> parser_;
    std::string padded_; // the line with the room simdjson reads beyond its end
    SavedListing listing_;
    std::string folder_;    // the folder of the current block, as FolderKey spells it
    std::string rawFolder_; // as the entries spell it
    std::string path_;
    State state_ = State::Header;
    int format_ = 0; // as the inventory line says
    QString error_;

    friend class JsonLineReader;
};
