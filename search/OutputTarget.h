#pragma once

#include <QByteArray>

// Where a list file goes, decided before anything is written.
struct OutputTarget {
    enum class Kind {
        Descriptor, // one of our own descriptors (/dev/stdout, /dev/fd/N): written through it
        InPlace,    // an existing file that is not a regular one (FIFO, /dev/null, a terminal)
        Replace,    // a regular file or a new name: written beside it and renamed over it
    };
    Kind kind = Kind::Replace;
    int descriptor = -1;  // Kind::Descriptor
    QByteArray finalName; // Kind::Replace: the name with symbolic links resolved
};

// Classifies `fileName` (bytes). A symbolic link at the end of the name is followed, as a shell's
// ">" would: to a descriptor link (/dev/stdout -> /proc/self/fd/1), to a device or a pipe, or to
// the regular file that is then replaced while the link stays.
OutputTarget ClassifyOutputTarget(const QByteArray& fileName);
