#pragma once

#include "base/DigestAlgorithm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct evp_md_st;

// An algorithm of OpenSSL's EVP interface, looked up once and shared by every thread that
// hashes with it.
class DigestMethod final {
public:
    explicit DigestMethod(DigestAlgorithm algorithm);
    ~DigestMethod();
    DigestMethod(const DigestMethod&) = delete;
    DigestMethod& operator=(const DigestMethod&) = delete;

    DigestAlgorithm algorithm() const { return algorithm_; }
    const evp_md_st* md() const { return md_; }

private:
    DigestAlgorithm algorithm_;
    evp_md_st* md_;
};

// What reading one file for its digest gave.
struct FileDigest {
    enum class Outcome {
        Read,       // read whole: `hex` holds the digest
        NotRegular, // a link, folder, device, pipe or socket: never read
        Unreadable, // could not be opened or read: errno in `error`
        Changed,    // its size or time changed while it was read, or it read short or long
        Stopped,    // the stop flag went up before the end
    };
    Outcome outcome = Outcome::Stopped;
    int error = 0;
    std::string hex; // lowercase
};

// How the last component of a file's name is taken: the files of a walk are never reached
// through a link; a checksum list names its files as sha256sum reads them, through links too.
enum class DigestLink { NoFollow, Follow };

// Reads the regular file `name` in the open folder `folder` (AT_FDCWD: the working folder) whole
// and computes its digest. Only a regular file is opened (never a pipe or device, which could
// block or answer for ever), without a controlling terminal and, where the system allows it,
// without touching its access time. Large files are read in large sequential pieces; the stop
// flag is tested between pieces, so a stop lands within one piece even in a huge file. Each
// piece read is added to `bytesRead`. A file whose size, modification or change time differs
// after the read from before it, or whose read ends short of or beyond its size, gets no digest.
// `goOn`, where given, is called between pieces too and stops the read when it answers false: a
// thread that reads a file itself turns its message pump and sees a cancel there.
FileDigest DigestFile(const DigestMethod& method, int folder, const char* name, DigestLink link,
                      const std::atomic<bool>& stop, std::atomic<std::int64_t>& bytesRead,
                      const std::function<bool()>& goOn = {});
