// Linked into every test program: passes run on the calling thread alone unless the environment
// variable VELMORA_THREADS asks for a pool (the whole suite can run either way), or a test sets
// its own count before it builds a demo.
#include <cstdlib>

#include "parallel/worker_pool.h"

namespace {

const bool oneThreadUnlessAsked = [] {
    const char* asked = std::getenv("VELMORA_THREADS");
    if (!asked || !*asked) Zorvek::setWorkerCount(1);
    return true;
}();

}  // namespace
