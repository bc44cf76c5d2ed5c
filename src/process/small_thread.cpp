#include "process/small_thread.h"

#include <utility>

namespace Zorvek {

void* SmallThread::enter(void* self) {
    // The body is the thread's own from here on: a detached thread may outlive its starter.
    std::function<void()> run = std::move(static_cast<SmallThread*>(self)->body);
    delete static_cast<SmallThread*>(self);
    run();
    return nullptr;
}

bool SmallThread::start(std::function<void()> run, std::size_t stack) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setstacksize(&attributes, stack);
    // The thread gets a copy of what it runs, so that the starter's object may go first.
    auto* own = new SmallThread;
    own->body = std::move(run);
    started = pthread_create(&thread, &attributes, enter, own) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) delete own;
    return started;
}

void SmallThread::join() {
    if (started) pthread_join(thread, nullptr);
    started = false;
}

void SmallThread::detach() {
    if (started) pthread_detach(thread);
    started = false;
}

}  // namespace Zorvek
