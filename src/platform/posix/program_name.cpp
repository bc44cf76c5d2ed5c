#include "process/program_name.h"

#include <errno.h>

namespace Zorvek {

const char* programName() { return program_invocation_short_name; }

}  // namespace Zorvek
