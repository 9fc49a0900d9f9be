#pragma once

class ListFileWriter;

// What the tool says on standard error when its output (a file named with -o, or standard
// output) cannot be opened or written: in German, with the system's reason.
void PrintOutputError(const ListFileWriter& writer, bool standardOutput);

// Commits the output and returns the exit status: success; 141, without a word, when the reader
// has gone (| head); 3, with the reason, when writing failed.
int CommitOutput(ListFileWriter& writer, bool standardOutput);
