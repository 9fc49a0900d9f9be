#pragma once

// The exit statuses of folderinventory-cli; the help text lists them.
namespace ExitStatus {
inline constexpr int Success = 0;          // every folder could be read
inline constexpr int UnreadableFolder = 1; // some folder could not be read; the list is complete
inline constexpr int ListsDiffer = 1;      // --compare: the two lists differ
inline constexpr int UsageError = 2;       // bad option, missing value, output not creatable
inline constexpr int Incomplete = 2;       // --compare: something was left open (a note says)
inline constexpr int WriteError = 3;       // the list could not be written
inline constexpr int OutOfMemory = 4;      // memory ran out; an output file was not replaced
inline constexpr int Interrupted = 130;    // stopped by SIGINT or SIGTERM (128 + SIGINT)
inline constexpr int OutputClosed = 141;   // the reader closed standard output (128 + SIGPIPE)
} // namespace ExitStatus
