#include "effects/copy_and_trash.h"

#include <allegro.h>

namespace Zorvek {

void CopyEffect::render() {
    BITMAP* source = pop();
    blit(source, frame, 0, 0, 0, 0, source->w, source->h);
    push(frame);
}
const char* CopyEffect::name() { return "Copy"; }

void TrashEffect::render() { pop(); }
const char* TrashEffect::name() { return "Trash"; }

}  // namespace Zorvek
