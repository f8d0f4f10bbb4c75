#include "state/viewer_state.h"

ViewerState viewerState;

std::uint32_t filterColor(const ViewerState& state) {
    return (std::uint32_t{state.filterAlpha} & 0xFFu) << 24 |
           (std::uint32_t{state.filterRed} & 0xFFu) << 16 |
           (std::uint32_t{state.filterGreen} & 0xFFu) << 8 |
           (std::uint32_t{state.filterBlue} & 0xFFu);
}
