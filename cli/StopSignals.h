#pragma once

// SIGINT and SIGTERM act like "Abbrechen": the handler only raises a flag, which the search
// tests between entries. The handler puts the default action back at once, so a second signal
// ends the program without waiting. SIGPIPE is ignored: a closed reader shows up as EPIPE on
// write and ends the output quietly.
void InstallStopSignalHandlers();

// True once SIGINT or SIGTERM has arrived.
bool StopRequested();
