// A recording stand-in for the graphics operations of gfx/graphics.h: every call is appended,
// with its arguments, to a list the test reads; results come from a script the test sets.
// Handles it gives out are small fake addresses, distinct per object.
#pragma once

#include "gfx/graphics.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace recording_graphics {

struct Call {
    std::string name;
    std::vector<std::uintptr_t> values; // integers and handles, in argument order
    std::vector<float> floats;          // float arguments, in argument order
    std::string text;                   // a file name or a drawn text
    Matrix matrix{};
    Light light{};
    Material material{};
    PresentParameters presentParameters{};
    FontDescription fontDescription{};
    TextRect rect{};
    std::uintptr_t made = 0; // the handle a creating call gave out, 0 when it failed
};

// A mesh file as the fake loader sees it.
struct MeshFile {
    std::vector<MeshMaterial> materials;
};

struct Script {
    bool direct3dFails = false;
    std::vector<GraphicsResult>
        deviceResults; // per attempt in order; attempts past the end succeed
    GraphicsResult fontResult = graphicsOk;
    GraphicsResult inputResult = graphicsOk;
    std::map<std::string, MeshFile> meshFiles; // a name not here cannot be loaded
    std::set<std::string> missingTextures;     // texture files that cannot be loaded
    bool vertexBufferFails = false;
    bool lockFails = false;
    GraphicsResult presentResult = graphicsOk;
    GraphicsResult cooperativeLevel = graphicsOk;
};

extern Script script;
extern std::vector<Call> calls;

// Forgets the calls, restores the default script and restarts the handle numbering.
void reset();

std::vector<Call> callsNamed(const std::string& name);
std::vector<std::string> callNames();
// Position of the first call with this name at or after start, or -1.
int indexOf(const std::string& name, int start = 0);

// A material whose colours are all different, so that a copy can be told from its source.
Material distinctMaterial(float seed);

} // namespace recording_graphics
