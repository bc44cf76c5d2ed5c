#pragma once

#include <string>

namespace Zorvek {

// The programs that read the environment.
enum class Program { Viewer, Capture };

// The environment variables the program reads, one a line with what each does, under the heading
// "Environment:", for its --help.
std::string environmentHelp(Program program);

}  // namespace Zorvek
