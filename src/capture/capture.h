#pragma once

#include "capture/options.h"

namespace Zorvek::capture {

// Renders the show offline as the options say: frames and sound, a video, or the benchmark.
// Returns the process exit code; errors are one line on standard error.
int run(const Options& options);

}  // namespace Zorvek::capture
