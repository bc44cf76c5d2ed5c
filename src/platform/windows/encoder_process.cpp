#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "capture/encoder.h"
#include "capture/interrupt.h"
#include "capture/unique_files.h"

namespace fs = std::filesystem;

namespace Zorvek::capture {

namespace {

// The program running now, ended at exit on any path (a fatal error of the show exits): it
// must not go on writing into a file that the capture removes.
HANDLE liveChild = nullptr;

constexpr DWORD PIPE_BYTES = 1 << 20;
// Its status when it was ended here.
constexpr int ENDED = 255;

HANDLE handleOf(std::intptr_t process) { return reinterpret_cast<HANDLE>(process); }

void end(HANDLE process) {
    TerminateProcess(process, ENDED);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

void endLiveChild() {
    if (liveChild) end(liveChild);
    liveChild = nullptr;
}

std::string tail(int fd) {
    constexpr long long MOST = 64 * 1024;
    if (fd < 0) return {};
    const long long size = _lseeki64(fd, 0, SEEK_END);
    if (size <= 0) return {};
    const long long from = size > MOST ? size - MOST : 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    _lseeki64(fd, from, SEEK_SET);
    const int n = _read(fd, text.data(), static_cast<unsigned>(text.size()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

// One argument as Windows programs read their command line back into words: quoted when it holds
// a space, a tab or a quote or is empty; backslashes doubled only where a quote follows them.
void appendArgument(std::wstring& line, const std::wstring& word) {
    if (!line.empty()) line += L' ';
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += word;
        return;
    }
    line += L'"';
    std::size_t slashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        line.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        line += c;
    }
    line.append(2 * slashes, L'\\');
    line += L'"';
}

// The folders a program is looked for in, in the order Windows starts it from: the capture's
// own, then those of PATH.
std::vector<fs::path> searchFolders() {
    std::vector<fs::path> folders;
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folders.push_back(fs::path(self).parent_path());
    const wchar_t* path = _wgetenv(L"PATH");
    std::wstring_view rest = path ? path : L"";
    while (!rest.empty()) {
        const std::size_t end = rest.find(L';');
        std::wstring_view folder = rest.substr(0, end);
        if (!folder.empty()) folders.emplace_back(std::wstring(folder));
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    }
    return folders;
}

fs::path find(const std::string& program) {
    std::error_code ec;
    for (const fs::path& folder : searchFolders()) {
        fs::path candidate = folder / (program + ".exe");
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

HANDLE inheritable(HANDLE h) {
    HANDLE copy = nullptr;
    if (!h || h == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// The C runtime's table of descriptors handed to a child (what its spawn functions pass): the
// count, a flag byte per descriptor, then a handle per descriptor. The child's runtime opens them
// as its own descriptors 0 to 3, so that ffmpeg reads the sound as "pipe:3".
std::vector<unsigned char> descriptorTable(const HANDLE (&handles)[4]) {
    constexpr unsigned char OPEN = 0x01, PIPE = 0x08;
    const int count = 4;
    std::vector<unsigned char> table(sizeof(int) + count + count * sizeof(HANDLE));
    std::memcpy(table.data(), &count, sizeof(int));
    for (int i = 0; i < count; ++i) {
        table[sizeof(int) + i] = handles[i] ? OPEN | (GetFileType(handles[i]) == FILE_TYPE_PIPE ? PIPE : 0) : 0;
        const HANDLE h = handles[i] ? handles[i] : INVALID_HANDLE_VALUE;
        std::memcpy(table.data() + sizeof(int) + count + i * sizeof(HANDLE), &h, sizeof(HANDLE));
    }
    return table;
}

// Starts `program` with the words of `argv` and `handles` as its descriptors 0 to 3: its process,
// or null.
HANDLE launch(const fs::path& program, const std::vector<std::string>& argv, const HANDLE (&handles)[4]) {
    std::wstring line;
    for (const std::string& a : argv) appendArgument(line, fs::path(a).wstring());
    std::vector<unsigned char> table = descriptorTable(handles);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles[0];
    startup.hStdOutput = handles[1];
    startup.hStdError = handles[2];
    startup.cbReserved2 = static_cast<WORD>(table.size());
    startup.lpReserved2 = table.data();
    PROCESS_INFORMATION process{};
    // No console window of its own; a process group of its own, so that Ctrl-C reaches the
    // capture alone.
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string lastError() {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                   sizeof text, nullptr);
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

}  // namespace

bool Encoder::available(const char* program) { return !find(program).empty(); }

bool Encoder::start(const std::vector<std::string>& argv, int extraInput, std::string& error) {
    stop();
    name = argv.at(0);
    const fs::path program = find(name);
    if (program.empty()) {
        error = "cannot start " + name + ": not found";
        return false;
    }
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    // Room for a few frames, so that the next can be rendered while the program takes the last.
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, PIPE_BYTES)) {
        error = "cannot make a pipe to " + name + ": " + lastError();
        return false;
    }
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    input = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_WRONLY | _O_BINARY);
    messages = anonymousFile("encoder-messages");
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE handles[4] = {readEnd, nowhere,
                         messages >= 0 ? inheritable(reinterpret_cast<HANDLE>(_get_osfhandle(messages))) : nullptr,
                         extraInput >= 0 ? inheritable(reinterpret_cast<HANDLE>(_get_osfhandle(extraInput))) : nullptr};
    bool started = false;
    if (input < 0 || messages < 0 || nowhere == INVALID_HANDLE_VALUE || !handles[2] ||
        (extraInput >= 0 && !handles[3])) {
        error = "cannot prepare " + name + ": " + lastError();
    } else if (HANDLE process = launch(program, argv, handles)) {
        pid = reinterpret_cast<std::intptr_t>(process);
        started = true;
    } else {
        error = "cannot start " + name + ": " + lastError();
    }
    for (HANDLE h : handles)
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!started) {
        stop();
        return false;
    }
    static bool registered = false;
    if (!registered) registered = std::atexit(endLiveChild) == 0;
    liveChild = handleOf(pid);
    return true;
}

std::ptrdiff_t Encoder::writeSome(const char* data, std::size_t size) {
    DWORD n = 0;
    const DWORD ask = size > PIPE_BYTES ? PIPE_BYTES : static_cast<DWORD>(size);
    if (WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(input)), data, ask, &n, nullptr) && n > 0) return n;
    return -1;
}

void Encoder::closeInput() {
    if (input >= 0) _close(input);
    input = -1;
}

void Encoder::stop() {
    closeInput();
    if (pid > 0) {
        end(handleOf(pid));
        pid = -1;
        liveChild = nullptr;
    }
    if (messages >= 0) _close(messages);
    messages = -1;
}

int Encoder::await() {
    DWORD status = ENDED;
    const HANDLE process = handleOf(pid);
    while (pid > 0) {
        if (interruption()) TerminateProcess(process, ENDED);
        if (WaitForSingleObject(process, 100) != WAIT_TIMEOUT) {
            if (!GetExitCodeProcess(process, &status)) status = ENDED;
            break;
        }
    }
    if (pid > 0) CloseHandle(process);
    pid = -1;
    liveChild = nullptr;
    return static_cast<int>(status);
}

bool Encoder::exitedWell(int status) { return status == 0; }

std::string Encoder::statusReason(int status) {
    if (status == 0) return "";
    char reason[40];
    // A status of 0xC0000000 and above is the system's account of a crash.
    if (static_cast<unsigned>(status) >= 0xC0000000u)
        std::snprintf(reason, sizeof reason, "ended by exception 0x%08X", static_cast<unsigned>(status));
    else std::snprintf(reason, sizeof reason, "exit status %d", status);
    return reason;
}

std::string Encoder::messagesTail() const { return tail(messages); }

}  // namespace Zorvek::capture
