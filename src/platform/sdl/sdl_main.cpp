// Linux process entry: the command line, start-up, the event loop, shutdown. Whenever no event
// is waiting one frame runs; the quit request's event ends the loop and its code becomes the
// exit code. A start-up that cannot make the window, the OpenGL context or the font ends the
// process with exit code 1 and one line on standard error saying why; started from the menu
// (--menu), the line is also shown in a message window, since a menu user sees no terminal.
// Links SDL2.

#define SDL_MAIN_HANDLED

#include "app/app.h"
#include "app/startup_failure.h"
#include "capture/capture_numbering.h"
#include "iconv_code_page.h"
#include "sdl_quit_event.h"
#include "sdl_window.h"
#include "window/window_layout.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr int startUpFailed = 1;
constexpr int wrongCommandLine = 2;

// The viewer takes no arguments; these are the platform's conventions, and the menu entry's
// way of saying that no terminal shows what the viewer writes.
enum class CommandLine { run, runFromMenu, help, version, wrong };

CommandLine readCommandLine(int argc, char** argv) {
    if (argc == 1) {
        return CommandLine::run;
    }
    const std::string_view argument = argv[1];
    if (argc > 2) {
        return CommandLine::wrong;
    }
    if (argument == "--menu") {
        return CommandLine::runFromMenu;
    }
    if (argument == "--help") {
        return CommandLine::help;
    }
    if (argument == "--version") {
        return CommandLine::version;
    }
    return CommandLine::wrong;
}

void printUsage() {
    std::printf(
        "Usage: viewer [--menu | --help | --version]\n"
        "Shows the scene of the folder it is started in (kabe.x, model.x, the filter image\n"
        "and their textures) and saves the area under the filter as numbered BMP files in\n"
        "its subfolder \"%s\". The keys are listed in the window and in man viewer.\n"
        "  --menu     also show a start-up failure in a message window (the menu entry's way)\n"
        "  --help     print this and exit\n"
        "  --version  print the version and exit\n",
        utf8FromCp932(captureFolderName).c_str());
}

// The line on standard error, and from the menu in a message window too, over no empty
// viewer window. A message window that cannot open (no display) leaves the line alone.
int reportStartUpFailure(const std::string& reason, bool fromMenu) {
    const std::string line = "viewer: cannot start: " + reason;
    std::fprintf(stderr, "%s\n", line.c_str());
    if (fromMenu) {
        if (sdlMainWindow() != nullptr) {
            SDL_HideWindow(sdlMainWindow());
        }
        const std::string title = utf8FromCp932(window_layout::title);
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), line.c_str(), nullptr);
    }
    return startUpFailed;
}

// Handles every waiting event and runs a frame when none is left; returns the exit code the
// quit request carries.
int runEventLoop() {
    SDL_Event event;
    for (;;) {
        if (SDL_PollEvent(&event)) {
            if (isQuitRequest(event)) {
                return event.user.code;
            }
            handleWindowEvent(event);
            continue;
        }
        runFrame();
    }
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine = readCommandLine(argc, argv);
    switch (commandLine) {
    case CommandLine::help:
        printUsage();
        return EXIT_SUCCESS;
    case CommandLine::version:
        std::printf("viewer %s\n", VIEWER_VERSION);
        return EXIT_SUCCESS;
    case CommandLine::wrong:
        std::fprintf(stderr,
                     "viewer: takes no arguments (see viewer --help); it reads its scene from "
                     "the folder it is started in\n");
        return wrongCommandLine;
    case CommandLine::run:
    case CommandLine::runFromMenu:
        break;
    }
    SDL_SetMainReady();
    // viewer-demo's own failure (no copy of the demo scene), shown the viewer's way.
    const char* demoFailure = std::getenv("VIEWER_DEMO_FAILURE");
    if (demoFailure != nullptr && commandLine == CommandLine::runFromMenu) {
        return reportStartUpFailure(demoFailure, true);
    }
    if (!startUp()) {
        return reportStartUpFailure(startUpFailureReason(),
                                    commandLine == CommandLine::runFromMenu);
    }
    const int exitCode = runEventLoop();
    releaseScene();
    return exitCode;
}
