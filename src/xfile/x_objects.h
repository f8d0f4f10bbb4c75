// The object level of a .x file: frames, meshes and materials read from the data after the
// header (already inflated when the file was compressed) and merged into one mesh.
#pragma once

#include "xfile/x_mesh.h"
#include "xfile/x_source.h"

// The form of the data after the header.
struct XDataForm {
    bool binary;
    std::size_t floatSize; // 4 or 8
    std::size_t firstByte; // where the data starts in the file, for the places in errors
};

// Reads every object; on failure returns false with the reason and its place ("line 3: ...",
// "byte 40: ...") in error. The mesh may then be half made: the caller clears it. A fault of
// the source itself (a broken compressed block) is reported as the source gives it.
bool readXObjects(XByteSource& source, XDataForm form, XMesh& mesh, std::string& error);
