#include "capture/interrupt.h"

#include <signal.h>

#include <initializer_list>

namespace Zorvek::capture {

namespace {

volatile sig_atomic_t caught = 0;

void onSignal(int sig) {
    if (!caught) caught = sig;
}

}  // namespace

void catchInterrupts() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction was = {};
        sigaction(sig, nullptr, &was);
        if (was.sa_handler == SIG_IGN) continue;
        struct sigaction now = {};
        now.sa_handler = onSignal;
        sigemptyset(&now.sa_mask);
        now.sa_flags = 0;  // no SA_RESTART: a write to ffmpeg or a wait for it returns EINTR
        sigaction(sig, &now, nullptr);
    }
    signal(SIGXFSZ, SIG_IGN);
}

int interruption() { return caught; }

void endByInterruption() {
    int sig = caught;
    if (!sig) return;
    signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

}  // namespace Zorvek::capture
