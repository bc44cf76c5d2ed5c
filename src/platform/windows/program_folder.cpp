#include "runtime/data_dir.h"

#include <windows.h>

#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace Zorvek {

fs::path programFolder() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n == 0) break;
        if (n < self.size()) {
            self.resize(n);
            return fs::path(self).parent_path();
        }
        self.resize(self.size() * 2);
    }
    std::error_code ec;
    return fs::current_path(ec);
}

}  // namespace Zorvek
