// A mesh loaded from a DirectX .x file with its materials and their textures, drawn at a
// position and a rotation.
#pragma once

#include "state/viewer_state.h"

class MeshObject {
  public:
    void load(const char* fileName);
    void draw(const Vector& position, const Vector& rotation);
    void release();
};
