#pragma once

// SIGINT, SIGTERM and SIGHUP end reportmerge-cli at once, also while the
// office is loading or saving: a thread of its own says on stderr that the
// merge was interrupted and nothing saved, ends our offices and
// removes their lock files beside the working copy and the output, then the
// program ends by the same signal. The hidden working copy stays, as after
// any failed run. Call before any other thread is started.
void endOfficesOnTerminationSignals();

// From here on an interruption says that the output was saved (the report
// is being written or the office shut down).
void noteOutputSaved();
