#pragma once
// Processor time (user and system) this process has used so far, in seconds.

namespace Zorvek {

double processorSeconds();

}  // namespace Zorvek
