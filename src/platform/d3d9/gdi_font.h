// The text font over GDI, for when D3DX is missing: the face found by its description, and the
// layout of a text into coverage.
#pragma once

#include "gfx/text_cache.h"

#include <windows.h>

#include <string>

struct GdiFont;

// The font the record describes, selected into a memory device context of its own; null when
// either cannot be made.
GdiFont* openGdiFont(const LOGFONTW& description);

void closeGdiFont(GdiFont* font);

// The text laid out by DrawTextW in the format (tabs, line feeds) with its origin at the image's
// top-left corner; an empty image when it covers no pixel.
TextImage layOutText(GdiFont& font, const std::wstring& text, UINT format);
