#include "server_latency.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "process/time.h"

namespace Zorvek::sound {

namespace {

constexpr int READINGS = 8;
constexpr Nanos READING_APART = 6'500'000;  // not a divisor of a callback's 21.3 ms

struct Query {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    std::string process;
    std::int64_t latency = -1;
    bool done = false;
};

void takeStream(pa_context*, const pa_sink_input_info* info, int last, void* data) {
    auto* q = static_cast<Query*>(data);
    if (last) {
        q->done = true;
        return;
    }
    if (!info || info->corked) return;
    const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (pid && q->process == pid) q->latency = static_cast<std::int64_t>(info->buffer_usec + info->sink_usec);
}

bool runUntil(Query& q, std::int64_t deadlineUs, bool (*ready)(Query&)) {
    while (!ready(q)) {
        if (static_cast<std::int64_t>(pa_rtclock_now()) > deadlineUs) return false;
        if (pa_context_get_state(q.context) == PA_CONTEXT_FAILED ||
            pa_context_get_state(q.context) == PA_CONTEXT_TERMINATED)
            return false;
        // Short waits, so that the deadline holds whatever the server does.
        if (pa_mainloop_prepare(q.loop, 10'000) < 0 || pa_mainloop_poll(q.loop) < 0 || pa_mainloop_dispatch(q.loop) < 0)
            return false;
    }
    return true;
}

}  // namespace

std::int64_t serverLatencyUs(int timeoutMs) {
    Query q;
    q.process = std::to_string(getpid());
    std::int64_t sum = 0;
    int readings = 0;
    const std::int64_t deadline = static_cast<std::int64_t>(pa_rtclock_now()) + timeoutMs * 1000LL;
    q.loop = pa_mainloop_new();
    if (!q.loop) return -1;
    q.context = pa_context_new(pa_mainloop_get_api(q.loop), "velmora latency");
    if (q.context && pa_context_connect(q.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
        runUntil(q, deadline, [](Query& s) { return pa_context_get_state(s.context) == PA_CONTEXT_READY; })) {
        // The buffer fills and drains with every callback: readings spread over a few of them
        // give its average.
        for (int i = 0; i < READINGS; ++i) {
            if (i > 0) sleepUntil(monotonicNow() + READING_APART);
            q.done = false;
            q.latency = -1;
            pa_operation* op = pa_context_get_sink_input_info_list(q.context, takeStream, &q);
            if (!op) break;
            const bool answered = runUntil(q, deadline, [](Query& s) { return s.done; });
            if (!answered) pa_operation_cancel(op);
            pa_operation_unref(op);
            if (!answered) break;
            if (q.latency >= 0) {
                sum += q.latency;
                ++readings;
            }
        }
    }
    if (q.context) {
        pa_context_disconnect(q.context);
        pa_context_unref(q.context);
    }
    pa_mainloop_free(q.loop);
    return readings > 0 ? sum / readings : -1;
}

}  // namespace Zorvek::sound
