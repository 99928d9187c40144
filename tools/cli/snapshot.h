// `cadora-cli snapshot`: the demo music through the processor and its worker, then the
// editor's dashboard drawn offscreen (no display needed) and written as a PNG, showing
// the key, tempo, spectrum and auto-tune link state that music produced.
#pragma once

namespace cadora::cli {

// Parses the arguments after "snapshot", runs and returns the exit code (2: bad input).
int snapshotCommand (int argc, char** argv);

} // namespace cadora::cli
