#pragma once
// The name the program was started by, without its folder (and without ".exe" on Windows): the
// first word of its messages on standard error.

namespace Zorvek {

const char* programName();

}  // namespace Zorvek
