// Linux key source: answers the keyboard poll's two queries from SDL's keyboard state. Letters
// and main-keyboard digits are found through the current keyboard layout, as their Windows
// virtual-key codes are, so the key that types "a" is A; the keypad, arrows, Page Up/Down,
// Shift, Ctrl, Enter and Escape are physical keys (scancodes). The layout is looked up at every
// query, so a layout switched while the viewer runs takes effect at once, whether a new keymap
// was loaded or another group of the same keymap was locked.
// SDL keeps one state, updated from the events the viewer has taken, so both queries read it.
// Keys act only while the viewer's window has the keyboard focus: typing in another program
// must not move the view or recolour the filter. Links SDL2 and Xlib.

#include "state/key_state_source.h"

#include "sdl_window.h"
#include "state/virtual_keys.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>

#include <array>

namespace {

// The scancodes a virtual key stands for, apart from the letters, digits and keypad digits.
struct KeyMapping {
    int virtualKey;
    SDL_Scancode scancode;
    SDL_Scancode alternative; // SDL_SCANCODE_UNKNOWN when there is none
};

constexpr SDL_Scancode none = SDL_SCANCODE_UNKNOWN;

constexpr std::array<KeyMapping, 16> keyMappings = {{
    {vk::enter, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER}, // main and keypad Enter
    {vk::escape, SDL_SCANCODE_ESCAPE, none},
    {vk::pageUp, SDL_SCANCODE_PAGEUP, none},
    {vk::pageDown, SDL_SCANCODE_PAGEDOWN, none},
    {vk::left, SDL_SCANCODE_LEFT, none},
    {vk::up, SDL_SCANCODE_UP, none},
    {vk::right, SDL_SCANCODE_RIGHT, none},
    {vk::down, SDL_SCANCODE_DOWN, none},
    {vk::numpadMultiply, SDL_SCANCODE_KP_MULTIPLY, none},
    {vk::numpadAdd, SDL_SCANCODE_KP_PLUS, none},
    {vk::numpadSubtract, SDL_SCANCODE_KP_MINUS, none},
    {vk::numpadDivide, SDL_SCANCODE_KP_DIVIDE, none},
    {vk::leftShift, SDL_SCANCODE_LSHIFT, none},
    {vk::rightShift, SDL_SCANCODE_RSHIFT, none},
    {vk::leftControl, SDL_SCANCODE_LCTRL, none},
    {vk::rightControl, SDL_SCANCODE_RCTRL, none},
}};

// The key at the character's place on a US keyboard: on a layout without Latin letters no key
// types the letter, and Windows then gives the letter's virtual key to the key in that place.
SDL_Scancode usPlaceOf(int upperCaseCharacter) {
    if (upperCaseCharacter >= 'A' && upperCaseCharacter <= 'Z') {
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (upperCaseCharacter - 'A'));
    }
    if (upperCaseCharacter == '0') {
        return SDL_SCANCODE_0;
    }
    return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (upperCaseCharacter - '1'));
}

// Whether a key that types the letter or digit in the current layout is down. SDL's key codes
// for letters are the lower-case characters, and it gives the main keyboard's number row the
// digits whatever the layout (as Windows gives it the digits' virtual keys).
bool isCharacterDown(const Uint8* state, int upperCaseCharacter) {
    const auto character = static_cast<SDL_Keycode>(
        upperCaseCharacter >= 'A' ? upperCaseCharacter - 'A' + 'a' : upperCaseCharacter);
    if (SDL_GetScancodeFromKey(character) == SDL_SCANCODE_UNKNOWN) {
        return state[usPlaceOf(upperCaseCharacter)] != 0;
    }
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        if (state[scancode] != 0 &&
            SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)) == character) {
            return true;
        }
    }
    return false;
}

bool isDown(const Uint8* state, int virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return isCharacterDown(state, virtualKey);
    }
    // Keypad digits follow in order in both numberings.
    if (virtualKey >= vk::numpad1 && virtualKey <= vk::numpad9) {
        return state[SDL_SCANCODE_KP_1 + (virtualKey - vk::numpad1)] != 0;
    }
    for (const KeyMapping& mapping : keyMappings) {
        if (mapping.virtualKey == virtualKey) {
            return state[mapping.scancode] != 0 ||
                   (mapping.alternative != none && state[mapping.alternative] != 0);
        }
    }
    return false;
}

// ---- The layout group on X11

// SDL reads the X keymap for the group (layout) active at start-up, and again only when the
// server announces a new keymap (MappingNotify, as setxkbmap sends). A desktop's layout switch
// locks another group of the same keymap and announces nothing, so SDL's key codes would stay
// those of the old layout. When the group has changed, SDL is handed a MappingNotify on its own
// connection and takes it at once, so it reads the keymap again, for the new group, before the
// poll that saw the change looks up a letter.

Display* sdlX11Display() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdlMainWindow() == nullptr || !SDL_GetWindowWMInfo(sdlMainWindow(), &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    return info.info.x11.display;
}

void followLayoutGroup() {
    static int groupOfSdlKeymap = -1; // -1 until read: SDL's start-up keymap has the group then
    Display* display = sdlX11Display();
    XkbStateRec state;
    if (display == nullptr || XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return;
    }
    if (groupOfSdlKeymap != -1 && state.group != groupOfSdlKeymap) {
        XEvent keymapChanged{};
        keymapChanged.xmapping.type = MappingNotify;
        keymapChanged.xmapping.display = display;
        keymapChanged.xmapping.request = MappingKeyboard;
        int firstKeycode = 0;
        int lastKeycode = 0;
        XDisplayKeycodes(display, &firstKeycode, &lastKeycode);
        keymapChanged.xmapping.first_keycode = firstKeycode;
        keymapChanged.xmapping.count = lastKeycode - firstKeycode + 1;
        XPutBackEvent(display, &keymapChanged);
        SDL_PumpEvents(); // SDL reads the new keymap now, before this poll looks up its keys
    }
    groupOfSdlKeymap = state.group;
}

// ---- Key state

bool viewerHasKeyboardFocus() {
    return sdlMainWindow() != nullptr && SDL_GetKeyboardFocus() == sdlMainWindow();
}

bool isKeyDown(int virtualKey) {
    return viewerHasKeyboardFocus() && isDown(SDL_GetKeyboardState(nullptr), virtualKey);
}

} // namespace

// SDL's state is read in place; only a change of layout group needs noting once a poll.
void sampleKeyboard() {
    followLayoutGroup();
}

bool isKeyDownQueued(int virtualKey) {
    return isKeyDown(virtualKey);
}

bool isKeyDownAsync(int virtualKey) {
    return isKeyDown(virtualKey);
}
