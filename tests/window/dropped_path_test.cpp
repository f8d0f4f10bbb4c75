// A file dropped on the window: its path is kept, cut to the buffer, and nothing else happens.
#include "window/window_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int otherCalls = 0;
}
void captureFilterArea() {
    ++otherCalls;
}
void requestQuit(int) {
    ++otherCalls;
}
void destroyMainWindow() {
    ++otherCalls;
}
void deleteWindowResources() {
    ++otherCalls;
}

TEST(DroppedPath, LongPathsAreCutTo259BytesAndAZero) {
    const std::string longPath = "C:\\" + std::string(400, 'x') + ".x";
    handleDroppedPath(longPath);
    EXPECT_EQ(std::string(longPath, 0, 259), std::string(droppedPath));
    handleDroppedPath("C:\\a.x");
    EXPECT_STREQ("C:\\a.x", droppedPath);
    EXPECT_EQ(0, otherCalls);
}
