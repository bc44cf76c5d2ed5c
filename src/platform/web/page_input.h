#pragma once

namespace Zorvek {

class Input;

// The input that the page's key and mouse events reach from now on; null: none (before the show
// starts, when they only start it).
void feedPageInput(Input* input);

}  // namespace Zorvek
