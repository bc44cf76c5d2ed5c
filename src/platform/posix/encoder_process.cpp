#include "capture/encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "capture/interrupt.h"
#include "capture/unique_files.h"

namespace Zorvek::capture {

namespace {

// The program running now, ended at exit on any path (a fatal error of the show exits): it
// must not go on writing into a file that the capture removes.
pid_t liveChild = -1;

constexpr int PIPE_BYTES = 1 << 20;

void end(pid_t pid) {
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void endLiveChild() {
    if (liveChild > 0) end(liveChild);
    liveChild = -1;
}

// Moves a descriptor above the standard ones and 3, so that handing descriptors to the child
// (0, 2 and 3) can never overwrite one before it is used.
int lift(int fd) {
    if (fd < 0) return fd;
    int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return high;
}

std::string tail(int fd) {
    constexpr off_t MOST = 64 * 1024;
    struct stat st = {};
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_size <= 0) return {};
    off_t from = st.st_size > MOST ? st.st_size - MOST : 0;
    std::string text(static_cast<std::size_t>(st.st_size - from), '\0');
    ssize_t n = pread(fd, text.data(), text.size(), from);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

// The ends of ours that the child reads: its standard input, and the extra input (or -1).
struct ChildInputs {
    int input;
    int extra;
};

// Starts argv[0], found on PATH, reading `inputs` as its descriptors 0 and 3, writing its
// messages into `messages` and its output nowhere. The child starts with the default handling of
// the signals the capture catches or ignores; SIGXFSZ stays ignored, so that a file at its size
// limit makes ffmpeg say so rather than die silently. Gives posix_spawnp's error, 0 when started.
int spawn(const std::vector<std::string>& argv, ChildInputs inputs, int messages, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputs.input, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, 2);
    if (inputs.extra >= 0) posix_spawn_file_actions_adddup2(&actions, inputs.extra, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, sig);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int failed = posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return failed;
}

}  // namespace

bool Encoder::available(const char* program) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t end = dirs.find(':');
        std::string dir(dirs.substr(0, end));
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        struct stat st = {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return true;
        if (end == std::string_view::npos) return false;
        dirs.remove_prefix(end + 1);
    }
}

bool Encoder::start(const std::vector<std::string>& argv, int extraInput, std::string& error) {
    stop();
    name = argv.at(0);
    // A program that stops early closes the pipe: the write fails with EPIPE instead of
    // ending the capture with the signal.
    signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe to ") + name + ": " + std::strerror(errno);
        return false;
    }
    const ChildInputs child{lift(ends[0]), extraInput >= 0 ? fcntl(extraInput, F_DUPFD_CLOEXEC, 10) : -1};
    input = lift(ends[1]);
    // Room for a few frames, so that the next can be rendered while the program takes the last.
    if (input >= 0) fcntl(input, F_SETPIPE_SZ, PIPE_BYTES);
    messages = lift(anonymousFile("encoder-messages"));
    bool started = false;
    if (child.input < 0 || input < 0 || messages < 0 || (extraInput >= 0 && child.extra < 0)) {
        error = std::string("cannot prepare ") + name + ": " + std::strerror(errno);
    } else if (pid_t id = -1; const int failed = spawn(argv, child, messages, id)) {
        error = "cannot start " + name + ": " + std::strerror(failed);
    } else {
        pid = id;
        started = true;
    }
    if (child.input >= 0) close(child.input);
    if (child.extra >= 0) close(child.extra);
    if (!started) {
        stop();
        return false;
    }
    static bool registered = false;
    if (!registered) registered = std::atexit(endLiveChild) == 0;
    liveChild = static_cast<pid_t>(pid);
    return true;
}

std::ptrdiff_t Encoder::writeSome(const char* data, std::size_t size) {
    const ssize_t n = ::write(input, data, size);
    if (n > 0) return n;
    return n < 0 && errno == EINTR ? 0 : -1;
}

void Encoder::closeInput() {
    if (input >= 0) close(input);
    input = -1;
}

void Encoder::stop() {
    closeInput();
    if (pid > 0) {
        end(static_cast<pid_t>(pid));
        pid = -1;
        liveChild = -1;
    }
    if (messages >= 0) close(messages);
    messages = -1;
}

int Encoder::await() {
    int status = 255 << 8;
    while (pid > 0) {
        if (interruption()) kill(static_cast<pid_t>(pid), SIGKILL);
        pid_t r = waitpid(static_cast<pid_t>(pid), &status, 0);
        if (r == pid || (r < 0 && errno != EINTR)) break;
    }
    pid = -1;
    liveChild = -1;
    return status;
}

bool Encoder::exitedWell(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

std::string Encoder::statusReason(int status) {
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return "exit status " + std::to_string(WEXITSTATUS(status));
    return "";
}

std::string Encoder::messagesTail() const { return tail(messages); }

}  // namespace Zorvek::capture
