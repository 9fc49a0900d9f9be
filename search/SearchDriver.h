#pragma once

// The engine, folder by folder in the order its data flows:
//
//   scope/    what a search takes in and leaves out: MaskMatcher (the masks' wildcards),
//             SearchScope (exclusions, one file system, depth, size and age), ExclusionRule,
//             ScopeText (the values as typed and as a header shows times)
//   run/      what a search is asked and what it tells: TSearchFiles (SearchSettings.h),
//             SearchProgress, RunOutcome (what a run left out), ReadRate (bytes a second)
//   walk/     the directory search: ScanFolder (FolderScanner.h) reads each folder into a
//             FolderSnapshot through a FolderDescriptor (counted by DescriptorBudget), matches
//             names by MaskMatcher, asks WalkScope what to enter and leave out, reads ahead and
//             reads sizes on WorkerPool's threads (FolderReadAhead, SharedSizeReads, tuned by
//             ScanTuning and WaitClock) and tells progress the folder and the files found so far
//             (FoundCount)
//   digest/   files' checksums: FileDigest reads a file whole relative to a folder the walk
//             holds, DigestWindow several at once on the walk's workers, DigestStage between the
//             walk and an output that wants digests (RunSearch puts it there)
//   records/  what the walk hands on: EntryRecord to a RecordSink; RecordStore keeps them
//   snapshot/ records made into one HTML page to browse and search: HtmlSnapshot builds a
//             SnapshotTree (folders with their totals) and writes its header and data into the
//             page kept in snapshot/page/ (SnapshotPage)
//   format/   records made into lines: TextListing (the extended and the simple listing, laid
//             out by ListingFormat and ListingLayout), CsvListing, JsonListing, HeaderBlock
//             (with ScopeLines); InventoryFile saves a kept run as a table, JSON Lines or the
//             snapshot; SumsListing writes checksum lists (SumsLine)
//   output/   where the lines go: LineSink; ResultLines (a list kept whole), LineStream,
//             ListFileWriter (a file or standard output, by OutputTarget and FdOutput)
//   compare/  lists read back and compared: ListingReader (ListingLineParser,
//             JsonInventoryReader) fills a PathSet (folders keyed by FolderKey) and ListingGaps;
//             RecordListing is a search's side; ListingComparison tells the differences within
//             the narrower scope (ScopeReach); ChecksumList reads checksum lists, which
//             ChecksumCheck (beside this driver) checks
//   base/     texts, bytes and the process under all of them: Utf8Text, PathText, FileTime,
//             ByteBuffer, SplitText, StopSignalMask, ProcessStart, DigestAlgorithm, VectorState
//
// Includes name the folder ("walk/FolderScanner.h") and run one way: base/ uses nothing of the
// engine; scope/ uses base/; run/ uses base/ and scope/; records/ and output/ use base/; walk/
// uses base/, scope/, run/ and records/ (it makes no lines); snapshot/ and format/ use base/,
// scope/, run/, records/ and output/, and format/ uses snapshot/ too; digest/ uses the same and
// walk/; compare/ uses format/ too; the drivers (this one and ChecksumCheck) use them all. The
// program and the tool reach the walk only through RunSearch. The test IncludeOrder
// (cmake/CheckIncludeOrder.cmake) holds the code to this.

#include "records/RecordSink.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

// Searches every folder for the first mask, then every folder for the second mask, and so on,
// handing the entries to `records` as they are found; `records` ends with endRun (also after a
// cancel). Progress, the message pumps and unreadable folders go to `progress`. `Searching` is up
// for exactly the time of the search; clearing it stops the search.
void RunSearch(TSearchFiles& settings, RecordSink& records, SearchProgress& progress);
