#pragma once

#include "effects/effect.h"
#include "runtime/demo.h"

namespace Zorvek {

// The show. (Placeholder until the effects exist: a black frame with a word on it.)
class Velmora : public Demo {
public:
    using Demo::Demo;

    class PlaceholderFrame : public ProtectedFrameEffect {
    public:
        void render() override;
    };

    PlaceholderFrame background;
    TodoEffect word;

    void script() override;
};

}  // namespace Zorvek
