#pragma once

#include <QByteArray>

// Where a list file goes, decided before anything is written.
struct OutputTarget {
    enum class Kind {
        Descriptor, // one of our own descriptors (/dev/stdout, /dev/fd/N): written through it
        InPlace,    // an existing file that is not a regular one (FIFO, /dev/null, a terminal)
        Replace,    // a regular file or a new name: written beside it and renamed over it
        Refused,    // a loop of links (ELOOP), or a link that is not to be followed (EACCES)
    };
    Kind kind = Kind::Replace;
    int descriptor = -1;        // Kind::Descriptor
    QByteArray finalName;       // Kind::InPlace and Kind::Replace: the name with its links resolved
    int error = 0;              // Kind::Refused
    bool untrustedLink = false; // Kind::Refused for another user's link in a sticky folder
};

// Classifies `fileName` (bytes). Symbolic links on the way and at the end of the name are
// followed, as a shell's ">" would: to a descriptor link (/dev/stdout -> /proc/self/fd/1), to a
// device or a pipe, or to the regular file that is then replaced while the link stays. They are
// followed as the kernel protects them, whatever the system's setting: in a folder that everyone
// may write and that has the sticky bit (/tmp), only a link of the caller or of the folder's
// owner, since another user could have planted it there to point at the caller's own files. More
// than 40 links in one name are a loop.
OutputTarget ClassifyOutputTarget(const QByteArray& fileName);

// The folder of `name` ("." for a bare name, "/" for a name in the root).
QByteArray FolderOf(const QByteArray& name);

// The name beside `finalName` for a list that a stop cut short, at the `attempt`-th try (from 0):
// "inv.txt" gives "inv.unvollständig.txt", so that it opens with the same program, then
// "inv.unvollständig-2.txt" and so on; a name without an extension ("liste", ".profile") gets
// the mark at its end. A name that is not UTF-8 gets it in ASCII ("unvollstaendig"), which reads
// the same in whatever encoding its other bytes are. Shortened where the folder takes no name so
// long.
QByteArray IncompleteName(const QByteArray& finalName, int attempt);

// `finalName` shortened at its end where needed, so that `extra` more bytes still make a name that
// its folder's file system takes (a temporary name beside the target).
QByteArray TemporaryStem(const QByteArray& finalName, qsizetype extra);
