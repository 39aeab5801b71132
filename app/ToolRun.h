#pragma once
// The report tool's run: the login, the report, the pages written; or the
// conversion of a saved page file. Says what went wrong on standard error.
#include "ToolOptions.h"

// The exit code of the run.
int Run(const Options& o);

// The exit code of a run a signal stopped; 0 while none did.
int StopCode();
