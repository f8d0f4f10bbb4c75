#include "app/app.h"

#include "app/cursor.h"
#include "app/idle_wait.h"
#include "gfx/graphics.h"
#include "scene/frame.h"
#include "scene/scene_objects.h"
#include "state/keyboard_poll.h"
#include "state/viewer_state.h"
#include "window/main_window.h"

#include <cstdlib>
#include <cstring>
#include <new>

char modelFileName[modelFileNameSize] = {};

FilterQuad* filterQuad = nullptr;
MeshObject* wallMesh = nullptr;
MeshObject* modelMesh = nullptr;

namespace {

constexpr const char* wallFileName = "kabe.x";
constexpr const char* filterImageFileName = "フィルター画像.bmp";
constexpr std::uint32_t noColorKey = 0;
// How long a pass that draws nothing waits for a message before it looks again: short enough
// that a restored device or window draws again at once to the eye, long enough to cost
// almost nothing.
constexpr int idleWaitMilliseconds = 50;

bool deviceIsLost = false;

// Each scene object lives in a zero-filled heap block of its own, so an object whose
// creation or load left fields unset still holds nulls there.
template <typename Object> Object* createInZeroedBlock() {
    void* block = std::calloc(1, sizeof(Object));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return new (block) Object();
}

template <typename Object> void destroy(Object*& object) {
    object->release();
    object->~Object();
    std::free(object);
    object = nullptr;
}

} // namespace

bool setUpScene() {
    if (!setUpGraphics(mainWindow, viewerState.backBufferWidth, viewerState.backBufferHeight)) {
        releaseGraphics();
        return false;
    }
    showMouseCursor();
    filterQuad = createInZeroedBlock<FilterQuad>();
    filterQuad->loadTexture(filterImageFileName, noColorKey);
    wallMesh = createInZeroedBlock<MeshObject>();
    wallMesh->load(wallFileName);
    modelMesh = createInZeroedBlock<MeshObject>();
    modelMesh->load(modelFileName);
    setUpLight();
    return true;
}

bool startUp() {
    createMainWindow();
    std::strcpy(modelFileName, "model.x");
    return setUpScene();
}

void runFrame() {
    if (mainWindowIsMinimised()) {
        waitForMessageOrTimeout(idleWaitMilliseconds);
        return;
    }
    if (deviceIsLost) {
        deviceIsLost = !restoreGraphics();
    }
    if (deviceIsLost) {
        pollCommandKeys();
        waitForMessageOrTimeout(idleWaitMilliseconds);
        return;
    }
    pollKeyboard();
    deviceIsLost = !renderFrame();
}

void releaseScene() {
    destroy(filterQuad);
    destroy(wallMesh);
    destroy(modelMesh);
    releaseGraphics();
}
