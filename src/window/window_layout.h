// The main window's fixed appearance: class, title, style, the picture it holds and the
// capture button inside it. Texts are compiled to code page 932 for the ANSI calls.
#pragma once

#include <cstdint>

namespace window_layout {

constexpr const char* className = "NORMAL0";
constexpr const char* title = "ビューア";

constexpr std::uint32_t extendedStyle = 0x00000010; // accepts dropped files
// Visible, clips its children, caption, system menu, resizable frame; no minimise or
// maximise box.
constexpr std::uint32_t style = 0x12CC0000;
constexpr std::uint32_t classStyle = 0x000B; // redraw on resize, double clicks

// The client area is exactly the picture; the outer size follows from the frame.
constexpr int clientWidth = 592;
constexpr int clientHeight = 576;

constexpr int captureButtonId = 1000;
constexpr const char* captureButtonCaption = "キャプチャ";
constexpr std::uint32_t captureButtonStyle = 0x50000000; // a visible child push button
constexpr int captureButtonX = 102;
constexpr int captureButtonY = 544;
constexpr int captureButtonWidth = 68;
constexpr int captureButtonHeight = 18;

constexpr const char* buttonFontFace = "ＭＳ Ｐゴシック";
constexpr int buttonFontHeight = -12; // a character height of 12 pixels, not a cell height

} // namespace window_layout
