// The three texts drawn over every frame: the key help, the key legend, and the line of
// current values whose numbers stand under the legend's key pairs. Stored in code page 932;
// a wide blank is the ideographic space (0x81 0x40).
#pragma once

#include "state/viewer_state.h"

#include <cstddef>

extern const char helpText[];
extern const char keyLegendLine[];
extern const char valueLine[];

// Big enough for the longest text, the help text, and its terminating zero.
constexpr std::size_t textBufferSize = 256;

// Formats the value line with the filter's colour and opacity and the ambient percentages.
void formatValueLine(char (&buffer)[textBufferSize], const ViewerState& state);
