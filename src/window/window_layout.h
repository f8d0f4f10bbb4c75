// The main window's fixed appearance as the viewer sees it: its title, the picture it holds and
// the capture button inside it. Texts are compiled to code page 932, as the core keeps every
// text; each platform converts them for its own calls. How a window system makes these (the
// Windows class, styles and GDI font) is in that platform's folder.
#pragma once

namespace window_layout {

constexpr const char* title = "ビューア";

// The client area is exactly the picture; the outer size follows from the frame.
constexpr int clientWidth = 592;
constexpr int clientHeight = 576;

constexpr const char* captureButtonCaption = "キャプチャ";
constexpr int captureButtonX = 102;
constexpr int captureButtonY = 544;
constexpr int captureButtonWidth = 68;
constexpr int captureButtonHeight = 18;
// The caption's characters are 12 pixels high (the em, not the line).
constexpr int captureButtonTextHeight = 12;

} // namespace window_layout
