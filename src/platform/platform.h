// What a platform provides to the portable core, in the order a new one is best written: one
// window system (src/platform/win32/, src/platform/sdl/) and one renderer
// (src/platform/d3d9/, src/platform/gl/), each an object library, joined into the viewer by the
// window system's CMakeLists.txt. Each function is declared, and its contract documented, once,
// in the core header included here beside it; this header only lists them. A function left out
// is a link error, not a surprise at run time. Including it gives a platform file every
// declaration at once.
//
// The window system
//
//   1. The process entry (win32_main.cpp, sdl_main.cpp): calls startUp, then runFrame whenever
//      no window event is waiting, and releaseScene once the quit request is taken
//      (app/app.h); hands the window's events to the core's handlers (handleClose,
//      handleDestroy, handleDroppedPath in window/window_messages.h; a click on the capture
//      button is captureFilterArea in capture/capture.h).
//   2. The window (window/main_window.h, app/cursor.h): createMainWindow, destroyMainWindow,
//      deleteWindowResources, mainWindowIsMinimised, drawWindowControls, showMouseCursor.
//   3. The keys (state/key_state_source.h): sampleKeyboard, isKeyDownQueued, isKeyDownAsync,
//      keys named by the codes of state/virtual_keys.h.
//   4. The quit request (state/quit_request.h): requestQuit.
//   5. The idle wait (app/idle_wait.h): waitForMessageOrTimeout.
//   6. The capture's files (capture/capture_files.h, capture/capture.h): createFolderIfMissing,
//      createNewFile, writeToFile, closeFile, removeFile, signalCaptureFailed.
//   7. The mapped file of the .x loader (xfile/mapped_file.h): MappedFile::open, its destructor,
//      MappedFile::releaseBefore, adviseLargePages; built into the loader's library, so that
//      tools need no window.
//
// The renderer
//
//   8. The graphics verbs (gfx/graphics.h): setUpGraphics, releaseGraphics, beginFrame,
//      endFrame, restoreGraphics; setLight, setViewMatrix, setProjectionMatrix; loadMesh,
//      drawMesh, releaseMesh; loadTexture, releaseTexture; createQuadBuffer, drawScreenQuad,
//      releaseQuadBuffer; drawScreenText; and drawScreenCaption, only where the window system
//      draws its controls into the picture.
//   9. The capture's read of the presented frame (capture/screen_grab.h): grabScreenArea.
#pragma once

#include "app/app.h"
#include "app/cursor.h"
#include "app/idle_wait.h"
#include "capture/capture.h"
#include "capture/capture_files.h"
#include "capture/screen_grab.h"
#include "gfx/graphics.h"
#include "state/key_state_source.h"
#include "state/quit_request.h"
#include "state/virtual_keys.h"
#include "window/main_window.h"
#include "window/window_messages.h"
#include "xfile/mapped_file.h"
