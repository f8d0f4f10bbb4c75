// Windows virtual-key codes of the keys the viewer reads.
#pragma once

namespace vk {

constexpr int enter = 0x0D;
constexpr int escape = 0x1B;
constexpr int pageUp = 0x21;
constexpr int pageDown = 0x22;
constexpr int left = 0x25;
constexpr int up = 0x26;
constexpr int right = 0x27;
constexpr int down = 0x28;
constexpr int numpad1 = 0x61;
constexpr int numpad2 = 0x62;
constexpr int numpad3 = 0x63;
constexpr int numpad4 = 0x64;
constexpr int numpad6 = 0x66;
constexpr int numpad7 = 0x67;
constexpr int numpad8 = 0x68;
constexpr int numpad9 = 0x69;
constexpr int numpadMultiply = 0x6A;
constexpr int numpadAdd = 0x6B;
constexpr int numpadSubtract = 0x6D;
constexpr int numpadDivide = 0x6F;
constexpr int leftShift = 0xA0;
constexpr int rightShift = 0xA1;
constexpr int leftControl = 0xA2;
constexpr int rightControl = 0xA3;

// Letters and digits of the main keyboard are their upper-case characters.
constexpr int key(char upperCaseCharacter) {
    return upperCaseCharacter;
}

} // namespace vk
