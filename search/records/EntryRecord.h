#pragma once

#include "base/FileTime.h"

#include <cstdint>
#include <string_view>

// One entry of a folder as the scan hands it on: what the listings, the tables for spreadsheets
// and programs and the comparison are made from. Names are the bytes the file system gave.
struct EntryRecord {
    enum class Kind : unsigned char {
        File,   // everything that is not a folder: files, links, devices, pipes, sockets
        Folder, // a subfolder
        Dot,    // "." or "..", which only the text listings show
    };

    Kind kind = Kind::File;
    std::string_view folder; // the folder text, ending in "/"
    std::string_view name;
    std::int64_t size = 0; // files, when sizes were read; 0 otherwise
    FileTime modified;     // when times were read
    // The file's digest in lowercase hexadecimal, when digests were asked for and the file is a
    // regular one that was read whole; empty otherwise.
    std::string_view digest;
    // The open folder of the entry while the record is handed on, when the sink asked for it
    // (RecordSink::Needs::openFolder); -1 otherwise. A sink that reads the entry later keeps a
    // duplicate.
    int folderFd = -1;
};
