#include "gfx/mesh_object.h"

// Meshes are not loaded or drawn yet.
void MeshObject::load(const char*) {}
void MeshObject::draw(const Vector&, const Vector&) {}
void MeshObject::release() {}
