#include "process/program_name.h"

#include <windows.h>

namespace Zorvek {

namespace {

// The executable's file name without its folder and its ".exe", read once.
struct Name {
    char text[MAX_PATH] = "velmora";
    Name() {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        const char* base = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/') base = p + 1;
        lstrcpynA(text, base, MAX_PATH);
        const int length = lstrlenA(text);
        if (length > 4 && lstrcmpiA(text + length - 4, ".exe") == 0) text[length - 4] = '\0';
    }
};

}  // namespace

const char* programName() {
    static const Name name;
    return name.text;
}

}  // namespace Zorvek
