#include "platform/files.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace Zorvek::platform {

namespace {
// The path as Windows takes it: the program's text is UTF-8 where it is not plain ASCII.
std::wstring wide(const char* path) {
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, text.data(), n);
    text.resize(static_cast<std::size_t>(n - 1));
    return text;
}
}  // namespace

FileStatus readRegularFile(const char* path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!path || !*path) return FileStatus::NotFound;
    const std::wstring name = wide(path);
    if (name.empty()) return FileStatus::NotFound;
    // Shared for reading and writing, as a file another program has open is read on Windows.
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD why = GetLastError();
        return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? FileStatus::NotFound
                                                                          : FileStatus::Unreadable;
    }
    // Only a file on a disk: a pipe, a console or a device is refused before it is read.
    LARGE_INTEGER size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
              static_cast<unsigned long long>(size.QuadPart) <= limit;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::uint8_t* at = bytes.data();
        std::size_t left = bytes.size();
        while (ok && left > 0) {
            DWORD n = 0;
            const DWORD ask = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
            ok = ReadFile(file, at, ask, &n, nullptr) && n > 0;
            at += n;
            left -= n;
        }
    }
    CloseHandle(file);
    if (!ok) bytes.clear();
    return ok ? FileStatus::Ok : FileStatus::Unreadable;
}

}  // namespace Zorvek::platform
