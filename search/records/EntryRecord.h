#pragma once

#include "base/FileTime.h"

#include <cstdint>
#include <string_view>

// One entry of a folder as the scan hands it on: what the listings, the tables for spreadsheets
// and programs and the comparison are made from. Names are the bytes the file system gave.
struct EntryRecord {
    enum class Kind : unsigned char {
        File,    // a regular file
        Link,    // a symbolic link, never followed
        Special, // a pipe, socket or device, never opened
        Folder,  // a subfolder
        Dot,     // "." or "..", which only the text listings show
    };

    Kind kind = Kind::File;
    std::string_view folder; // the folder text, ending in "/"
    std::string_view name;
    // Files, links (their own length) and special files, when sizes were read; 0 otherwise and
    // where the entry could not be looked up (sizeRead false).
    std::int64_t size = 0;
    FileTime modified = {}; // when times were read
    // The file's digest in lowercase hexadecimal, when digests were asked for and the file is a
    // regular one that was read whole; empty otherwise.
    std::string_view digest = {};
    // The open folder of the entry while the record is handed on, when the sink asked for it
    // (RecordSink::Needs::openFolder); -1 otherwise. A sink that reads the entry later keeps a
    // duplicate.
    int folderFd = -1;
    // False where sizes (or times) were read but the entry could not be looked up: a vanished
    // name, or a folder whose entries may not be examined. The value above then stands for
    // nothing.
    bool sizeRead = true;
    bool timeRead = true;
    // A link's target, when targets were read and this one could be.
    std::string_view target = {};
    bool targetRead = false;

    // The text listings list links and special files as files.
    bool listedAsFile() const {
        return kind == Kind::File || kind == Kind::Link || kind == Kind::Special;
    }
};
