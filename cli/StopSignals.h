#pragma once

// SIGINT and SIGTERM act like "Abbrechen": the handler only raises a flag, which the search
// tests between entries. The handler stays in place, so further such signals (timeout(1) sends
// one to the tool and one to its process group) are ignored while the tool writes what it has
// found; SIGKILL ends it at once. SIGPIPE is ignored: a closed reader shows up as EPIPE on write
// and ends the output quietly. Installed first thing in main, before anything else runs.
void InstallStopSignalHandlers();

// True once SIGINT or SIGTERM has arrived.
bool StopRequested();
