// The processors the show may use in a browser: the page's logical processors where it may run
// threads (the page is isolated across origins), else only its own.
#include <emscripten/threading.h>

#include <algorithm>

#include "parallel/worker_pool.h"

namespace Zorvek {

int coreCount() {
#if defined(__EMSCRIPTEN_PTHREADS__)
    return std::max(emscripten_num_logical_cores(), 1);
#else
    return 1;
#endif
}

}  // namespace Zorvek
