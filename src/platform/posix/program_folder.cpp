#include "runtime/data_dir.h"

#include <system_error>

namespace fs = std::filesystem;

namespace Zorvek {

fs::path programFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !self.has_parent_path()) return fs::current_path(ec);
    return self.parent_path();
}

}  // namespace Zorvek
