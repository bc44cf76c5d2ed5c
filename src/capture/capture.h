#pragma once

#include "capture/options.h"

namespace Zorvek::capture {

// Renders the show offline as the options say: frames and sound, a video, or the benchmark.
// Returns the process exit code; errors are one line on standard error. An interrupted capture
// returns 128 + the signal, having removed what it began (see endByInterruption).
int run(Options options);

}  // namespace Zorvek::capture
