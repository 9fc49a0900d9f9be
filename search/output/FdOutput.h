#pragma once

#include <string_view>

// The outcome of writing to a file descriptor.
enum class WriteOutcome {
    Written, // every byte was written
    Closed,  // the reader has gone (EPIPE)
    Failed,  // any other error; errno holds it
};

// Writes all of `data` to `fd` with write(2) in large pieces, carrying on after partial writes,
// EINTR and (for a non-blocking descriptor) EAGAIN.
WriteOutcome WriteAll(int fd, std::string_view data);
