#include "capture/unique_files.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace Zorvek::capture {

namespace {

constexpr int ATTEMPTS = 100;

// Replaces the template's "XXXXXX" with letters and digits drawn anew at each call.
void fillIn(std::string& name) {
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 draw{std::random_device{}() ^ GetCurrentProcessId() ^ GetTickCount()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) name[i] = LETTERS[pick(draw)];
}

}  // namespace

int createUniqueFile(std::string& name) {
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        fillIn(name);
        int fd = -1;
        const int failed =
            _wsopen_s(&fd, std::filesystem::path(name).c_str(),
                      _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (!failed) return fd;
        if (failed != EEXIST) {
            errno = failed;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

bool createUniqueFolder(std::string& name) {
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        fillIn(name);
        if (CreateDirectoryW(std::filesystem::path(name).c_str(), nullptr)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

int anonymousFile(const char*) {
    // A file in the temporary folder that Windows removes when its last handle closes, kept in
    // memory as far as it can.
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"vlm", 0, path)) return -1;
    HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(path);
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
    if (fd < 0) CloseHandle(file);
    return fd;
}

}  // namespace Zorvek::capture
