// The built-in demo: a short stereo clip in a known key, synthesised in memory, run
// through the processor as a host would.
#pragma once

namespace cadora::cli {

// Runs the demo and prints what it did; returns the process exit code.
int runDemo ();

} // namespace cadora::cli
