// The three scene objects, created once at start-up and destroyed at shutdown.
#pragma once

#include "gfx/mesh_object.h"
#include "scene/filter_quad.h"

extern FilterQuad* filterQuad;
extern MeshObject* wallMesh;
extern MeshObject* modelMesh;
