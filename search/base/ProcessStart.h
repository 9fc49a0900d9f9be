#pragma once

// What both programs do first thing in main, before anything opens a file.
//
// Each of the descriptors 0, 1 and 2 that the caller left closed is opened on /dev/null, so that
// no file the program opens later takes the number of standard input, output or error: a warning
// would otherwise land in the list file that took number 2, and a read of "-" in one of the
// program's own pipes. SIGXFSZ is ignored, so that a file that would grow beyond the size limit
// (ulimit -f) is a write error with its reason (EFBIG) instead of the end of the program.
// Returns false when a closed descriptor cannot be opened on /dev/null (errno says why).
bool PrepareProcessStart();
