#include "capture/chapters.h"

#include <allegro.h>

#include "process/requests.h"

namespace Zorvek::capture {

std::vector<ChapterMark> chapterStarts() {
    static const struct {
        const char* name;
        int key;
    } keys[] = {{"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"F4", KEY_F4},   {"F5", KEY_F5},  {"F6", KEY_F6},
                {"F7", KEY_F7}, {"F8", KEY_F8}, {"F9", KEY_F9}, {"F10", KEY_F10}, {"F12", KEY_F12}};
    std::vector<ChapterMark> starts;
    for (const auto& k : keys)
        if (keyJump[k.key] >= 0) starts.push_back({k.name, keyJump[k.key]});
    return starts;
}

}  // namespace Zorvek::capture
