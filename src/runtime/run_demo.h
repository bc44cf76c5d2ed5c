#pragma once

namespace Zorvek {

class Demo;

// Plays the show until the viewer quits: the music starts, and the viewer's input and the main
// loop's passes follow one another; then the running effects stop and the music is released.
// The platform answers: a desktop loops here until the end, a browser gives every animation frame
// a pass and returns at once.
void runDemo(Demo& demo);

}  // namespace Zorvek
