#include "window_events.h"

#include <SDL2/SDL.h>
#include <allegro.h>

#include "runtime/controls.h"
#include "runtime/input.h"

namespace Zorvek {

namespace {

struct KeyName {
    SDL_Scancode sdl;
    int library;
};

// Not reformatted: a few keys a line.
// clang-format off
constexpr KeyName KEYS[] = {
    {SDL_SCANCODE_A, KEY_A}, {SDL_SCANCODE_B, KEY_B}, {SDL_SCANCODE_C, KEY_C},
    {SDL_SCANCODE_D, KEY_D}, {SDL_SCANCODE_E, KEY_E}, {SDL_SCANCODE_F, KEY_F},
    {SDL_SCANCODE_G, KEY_G}, {SDL_SCANCODE_H, KEY_H}, {SDL_SCANCODE_I, KEY_I},
    {SDL_SCANCODE_J, KEY_J}, {SDL_SCANCODE_K, KEY_K}, {SDL_SCANCODE_L, KEY_L},
    {SDL_SCANCODE_M, KEY_M}, {SDL_SCANCODE_N, KEY_N}, {SDL_SCANCODE_O, KEY_O},
    {SDL_SCANCODE_P, KEY_P}, {SDL_SCANCODE_Q, KEY_Q}, {SDL_SCANCODE_R, KEY_R},
    {SDL_SCANCODE_S, KEY_S}, {SDL_SCANCODE_T, KEY_T}, {SDL_SCANCODE_U, KEY_U},
    {SDL_SCANCODE_V, KEY_V}, {SDL_SCANCODE_W, KEY_W}, {SDL_SCANCODE_X, KEY_X},
    {SDL_SCANCODE_Y, KEY_Y}, {SDL_SCANCODE_Z, KEY_Z},
    {SDL_SCANCODE_0, KEY_0}, {SDL_SCANCODE_1, KEY_1}, {SDL_SCANCODE_2, KEY_2},
    {SDL_SCANCODE_3, KEY_3}, {SDL_SCANCODE_4, KEY_4}, {SDL_SCANCODE_5, KEY_5},
    {SDL_SCANCODE_6, KEY_6}, {SDL_SCANCODE_7, KEY_7}, {SDL_SCANCODE_8, KEY_8},
    {SDL_SCANCODE_9, KEY_9},
    {SDL_SCANCODE_KP_0, KEY_0_PAD}, {SDL_SCANCODE_KP_1, KEY_1_PAD}, {SDL_SCANCODE_KP_2, KEY_2_PAD},
    {SDL_SCANCODE_KP_3, KEY_3_PAD}, {SDL_SCANCODE_KP_4, KEY_4_PAD}, {SDL_SCANCODE_KP_5, KEY_5_PAD},
    {SDL_SCANCODE_KP_6, KEY_6_PAD}, {SDL_SCANCODE_KP_7, KEY_7_PAD}, {SDL_SCANCODE_KP_8, KEY_8_PAD},
    {SDL_SCANCODE_KP_9, KEY_9_PAD},
    {SDL_SCANCODE_F1, KEY_F1}, {SDL_SCANCODE_F2, KEY_F2}, {SDL_SCANCODE_F3, KEY_F3},
    {SDL_SCANCODE_F4, KEY_F4}, {SDL_SCANCODE_F5, KEY_F5}, {SDL_SCANCODE_F6, KEY_F6},
    {SDL_SCANCODE_F7, KEY_F7}, {SDL_SCANCODE_F8, KEY_F8}, {SDL_SCANCODE_F9, KEY_F9},
    {SDL_SCANCODE_F10, KEY_F10}, {SDL_SCANCODE_F11, KEY_F11}, {SDL_SCANCODE_F12, KEY_F12},
    {SDL_SCANCODE_ESCAPE, KEY_ESC}, {SDL_SCANCODE_GRAVE, KEY_TILDE},
    {SDL_SCANCODE_MINUS, KEY_MINUS}, {SDL_SCANCODE_EQUALS, KEY_EQUALS},
    {SDL_SCANCODE_BACKSPACE, KEY_BACKSPACE}, {SDL_SCANCODE_TAB, KEY_TAB},
    {SDL_SCANCODE_LEFTBRACKET, KEY_OPENBRACE}, {SDL_SCANCODE_RIGHTBRACKET, KEY_CLOSEBRACE},
    {SDL_SCANCODE_RETURN, KEY_ENTER}, {SDL_SCANCODE_SEMICOLON, KEY_COLON},
    {SDL_SCANCODE_APOSTROPHE, KEY_QUOTE}, {SDL_SCANCODE_BACKSLASH, KEY_BACKSLASH},
    {SDL_SCANCODE_NONUSBACKSLASH, KEY_BACKSLASH2}, {SDL_SCANCODE_COMMA, KEY_COMMA},
    {SDL_SCANCODE_PERIOD, KEY_STOP}, {SDL_SCANCODE_SLASH, KEY_SLASH},
    {SDL_SCANCODE_SPACE, KEY_SPACE}, {SDL_SCANCODE_INSERT, KEY_INSERT},
    {SDL_SCANCODE_DELETE, KEY_DEL}, {SDL_SCANCODE_HOME, KEY_HOME}, {SDL_SCANCODE_END, KEY_END},
    {SDL_SCANCODE_PAGEUP, KEY_PGUP}, {SDL_SCANCODE_PAGEDOWN, KEY_PGDN},
    {SDL_SCANCODE_LEFT, KEY_LEFT}, {SDL_SCANCODE_RIGHT, KEY_RIGHT}, {SDL_SCANCODE_UP, KEY_UP},
    {SDL_SCANCODE_DOWN, KEY_DOWN}, {SDL_SCANCODE_KP_DIVIDE, KEY_SLASH_PAD},
    {SDL_SCANCODE_KP_MULTIPLY, KEY_ASTERISK}, {SDL_SCANCODE_KP_MINUS, KEY_MINUS_PAD},
    {SDL_SCANCODE_KP_PLUS, KEY_PLUS_PAD}, {SDL_SCANCODE_KP_PERIOD, KEY_DEL_PAD},
    {SDL_SCANCODE_KP_ENTER, KEY_ENTER_PAD}, {SDL_SCANCODE_PRINTSCREEN, KEY_PRTSCR},
    {SDL_SCANCODE_PAUSE, KEY_PAUSE}, {SDL_SCANCODE_KP_EQUALS, KEY_EQUALS_PAD},
    {SDL_SCANCODE_LSHIFT, KEY_LSHIFT}, {SDL_SCANCODE_RSHIFT, KEY_RSHIFT},
    {SDL_SCANCODE_LCTRL, KEY_LCONTROL}, {SDL_SCANCODE_RCTRL, KEY_RCONTROL},
    {SDL_SCANCODE_LALT, KEY_ALT}, {SDL_SCANCODE_RALT, KEY_ALTGR}, {SDL_SCANCODE_LGUI, KEY_LWIN},
    {SDL_SCANCODE_RGUI, KEY_RWIN}, {SDL_SCANCODE_APPLICATION, KEY_MENU},
    {SDL_SCANCODE_SCROLLLOCK, KEY_SCRLOCK}, {SDL_SCANCODE_NUMLOCKCLEAR, KEY_NUMLOCK},
    {SDL_SCANCODE_CAPSLOCK, KEY_CAPSLOCK},
};
// clang-format on

int mouseBit(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 1;
        case SDL_BUTTON_RIGHT: return 2;
        case SDL_BUTTON_MIDDLE: return 4;
        default: return 0;
    }
}

}  // namespace

int libraryScancode(int sdlScancode) {
    for (const KeyName& k : KEYS)
        if (k.sdl == sdlScancode) return k.library;
    return 0;
}

void WindowEvents::poll(Nanos now) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle(event, now);
}

void WindowEvents::handle(const SDL_Event& event, Nanos now) {
    switch (event.type) {
        case SDL_KEYDOWN:
            // The window system's own repeats come at its own rate; the keys repeat at ours.
            if (event.key.repeat == 0) input.press(libraryScancode(event.key.keysym.scancode), now);
            break;
        case SDL_KEYUP: input.release(libraryScancode(event.key.keysym.scancode)); break;
        case SDL_MOUSEBUTTONDOWN: input.pressButtons(mouseBit(event.button.button)); break;
        case SDL_MOUSEBUTTONUP: input.releaseButtons(mouseBit(event.button.button)); break;
        case SDL_WINDOWEVENT:
            // Keys and buttons let go in another window would otherwise stay held here.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) input.releaseAll();
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeHandler();
            break;
        case SDL_QUIT: closeHandler(); break;
        default: break;
    }
}

}  // namespace Zorvek
