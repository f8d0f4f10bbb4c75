// How Windows makes the main window of window/window_layout.h: its class, styles, the capture
// button's control and the GDI font of its caption.
#pragma once

#include "window/window_layout.h"

#include <cstdint>

namespace win32_layout {

constexpr const char* className = "NORMAL0";

constexpr std::uint32_t extendedStyle = 0x00000010; // accepts dropped files
// Visible, clips its children, caption, system menu, resizable frame; no minimise or
// maximise box.
constexpr std::uint32_t style = 0x12CC0000;
constexpr std::uint32_t classStyle = 0x000B; // redraw on resize, double clicks

constexpr int captureButtonId = 1000;
constexpr std::uint32_t captureButtonStyle = 0x50000000; // a visible child push button

constexpr const char* buttonFontFace = "ＭＳ Ｐゴシック";
// GDI takes a negative height as the character height rather than the cell height.
constexpr int buttonFontHeight = -window_layout::captureButtonTextHeight;

} // namespace win32_layout
