#pragma once

struct BITMAP;

namespace Zorvek {

class Demo;
struct TimelineEvent;

// The visual element of the show: the main loop starts it when one of its events becomes active,
// hands it each active event (update with the local time, then render) and stops it when none
// is left. The six operations keep this order in every subclass.
class Effect {
public:
    TimelineEvent* event = nullptr;  // the event served in the current pass
    Demo* demo = nullptr;            // the owning demo
    int period = 1000;               // local time wraps at this many ms; 0 = no wrapping
    bool running = false;            // between start() and stop()
    bool seen = false;               // set by the main loop when the effect had an event this pass

    virtual void start();
    virtual void update(int time);
    virtual void render();
    virtual void stop();
    virtual const char* name();
    virtual void init(Demo* demo);
    // Called for every scheduled effect once the show is scripted, before the first pass: work
    // that a first pass would otherwise do (building tables) is done here. The base does nothing.
    virtual void prepare();
    // True when the picture this effect leaves depends on the passes before it: it keeps a
    // picture or a counter from one pass to the next. A moment of the show with such an effect
    // runs its passes on a 60 Hz grid of music time on any display, as the show was made.
    virtual bool carriesState() const;
    // True when it draws a random pattern: which pattern depends on how many numbers the passes
    // before it drew. Such moments keep to the same grid.
    virtual bool drawsRandom() const;

protected:
    // The frame stack of the demo (slot 0 is the null floor).
    void push(BITMAP* frame);  // a push onto a full stack ends the program ("Framestack overflow.")
    BITMAP* pop();
    BITMAP* top() const;
};

// An effect that holds a scratch frame of its own while it runs.
class ProtectedFrameEffect : public Effect {
public:
    BITMAP* frame = nullptr;  // borrowed in start(), returned in stop()

    void start() override;
    void stop() override;
};

// Placeholder: prints a word in green at the centre of the top frame.
class TodoEffect : public Effect {
public:
    const char* text = "";

    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
