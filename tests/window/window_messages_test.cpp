#include "window/main_window.h"
#include "window/window_layout.h"
#include "window/window_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The services the window's message handling asks for, recorded in call order.
namespace {
std::vector<std::string> calls;
}

void captureFilterArea() {
    calls.push_back("capture");
}
void requestQuit(int exitCode) {
    calls.push_back("quit " + std::to_string(exitCode));
}
void destroyMainWindow() {
    calls.push_back("destroy window");
}
void deleteWindowResources() {
    calls.push_back("delete font and brush");
}

namespace {

class WindowMessages : public ::testing::Test {
  protected:
    void SetUp() override { calls.clear(); }
};

std::uintptr_t commandParameter(std::uint32_t controlId, std::uint32_t notification) {
    return std::uintptr_t{notification} << 16 | controlId;
}

TEST_F(WindowMessages, OnlyAClickOnTheCaptureButtonCaptures) {
    handleCommand(commandParameter(window_layout::captureButtonId, 0));
    EXPECT_EQ(std::vector<std::string>{"capture"}, calls);

    calls.clear();
    for (std::uint32_t notification : {1u, 5u, 0xFFFFu}) {
        handleCommand(commandParameter(1000, notification));
    }
    handleCommand(commandParameter(1001, 0));
    handleCommand(commandParameter(0, 0));
    EXPECT_TRUE(calls.empty());
}

TEST_F(WindowMessages, EachClickCapturesAgain) {
    for (int i = 0; i < 3; ++i) {
        handleCommand(commandParameter(1000, 0));
    }
    EXPECT_EQ(3u, calls.size());
}

TEST_F(WindowMessages, DroppedPathIsCutTo259BytesAndAZero) {
    const std::string longPath = "C:\\" + std::string(400, 'x') + ".x";
    handleDroppedPath(longPath);
    EXPECT_EQ(std::string(longPath, 0, 259), std::string(droppedPath));
    EXPECT_EQ('\0', droppedPath[259]);

    handleDroppedPath("C:\\a.x");
    EXPECT_STREQ("C:\\a.x", droppedPath);

    const std::string exactFit(259, 'y');
    handleDroppedPath(exactFit);
    EXPECT_EQ(exactFit, std::string(droppedPath));
    EXPECT_TRUE(calls.empty()) << "a drop changes nothing else";
}

TEST_F(WindowMessages, ClosingDestroysTheWindowThenQuitsWithZero) {
    handleClose();
    EXPECT_EQ(std::vector<std::string>{"destroy window"}, calls);
    calls.clear();
    handleDestroy();
    EXPECT_EQ((std::vector<std::string>{"delete font and brush", "quit 0"}), calls);
}

} // namespace
