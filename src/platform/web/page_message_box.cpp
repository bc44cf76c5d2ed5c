// What ends the show is said on the page, in the show's own words, where the picture was.
#include <emscripten.h>

#include "process/message_box.h"

namespace Zorvek {

namespace {
// clang-format off
EM_JS(void, sayOnPage, (const char* message, int fatal), {
    velmoraPage.message(UTF8ToString(message), fatal != 0);
});
// clang-format on
}  // namespace

void showMessageBox(const char* message, bool fatal) { sayOnPage(message, fatal ? 1 : 0); }

}  // namespace Zorvek
