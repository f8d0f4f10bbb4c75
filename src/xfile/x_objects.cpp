// Reads the data objects of a .x file and merges their meshes the way D3DXLoadMeshFromX does:
// every mesh in file order, moved by the frames around it (a child frame's world matrix is its
// own matrix times its parent's, row vectors), polygons split into fans, a vertex split wherever
// faces give one position different normals, materials concatenated and each mesh's triangle
// attributes raised by the number of materials before it.
//
// Objects the viewer does not draw from (animation, skinning, effects, headers, template
// declarations, anything unknown) are skipped whole. Every count is checked against the loader's
// ceilings and the bytes left before anything is allocated for it, and arrays grow with the
// numbers read, so a file costs memory in proportion to what it holds.

#include "xfile/x_objects.h"

#include "xfile/x_readers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace {

using Matrix4 = std::array<float, 16>; // row-major, row vectors: p' = p × M

constexpr Matrix4 identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// What a vector reserves before its count is borne out by numbers actually read.
constexpr std::size_t initialReserve = 1u << 16;

// Vertex colours as D3DXLoadMeshFromX (Wine's, observed) gives them where a file leaves them
// out: white with alpha 0 for a vertex that its mesh's colours do not name, 0 for every vertex
// of a mesh without colours once another mesh of the file has some.
constexpr std::uint32_t unnamedVertexColour = 0x00FFFFFF;
constexpr std::uint32_t uncolouredMeshColour = 0;

// A colour channel of 0 to 1 as a byte, clamped and rounded.
std::uint32_t colourByte(float channel) {
    const float clamped = channel > 0.0f ? (channel < 1.0f ? channel : 1.0f) : 0.0f;
    return static_cast<std::uint32_t>(clamped * 255.0f + 0.5f);
}

// What a mesh without a material list is drawn with: D3DXLoadMeshFromX (Wine's, observed with
// tools/d3dx_probe.cpp) gives grey 0.5 diffuse and specular, the diffuse alpha 0.
const XMaterial defaultMaterial = {
    {0.5f, 0.5f, 0.5f, 0.0f}, 0.0f, {0.5f, 0.5f, 0.5f}, {0, 0, 0}, ""};

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[row * 4 + k] * b[k * 4 + column];
            }
            product[row * 4 + column] = sum;
        }
    }
    return product;
}

bool sameName(const std::string& name, const char* wanted) {
    const std::size_t length = std::strlen(wanted);
    if (name.size() != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(wanted[i])) {
            return false;
        }
    }
    return true;
}

// One mesh as the file gives it, before it is split into triangles and merged.
struct FileMesh {
    std::vector<float> positions;             // three per vertex
    std::vector<std::uint32_t> faceSizes;     // corners per face
    std::vector<std::uint32_t> corners;       // vertex index of each corner, face after face
    std::vector<float> normals;               // three per normal
    std::vector<std::uint32_t> normalCorners; // normal index of each corner; empty without normals
    std::vector<float> texcoords;             // two per vertex given
    std::vector<XMaterial> materials;
    std::vector<std::uint32_t> faceMaterials; // may be shorter than the faces: the last repeats
    std::vector<std::uint32_t> colours;       // ARGB per vertex; empty without vertex colours
};

// The frame a mesh was read in, so that its vertices can be moved once all frames are known.
struct FrameNode {
    int parent; // -1: the file's root
    Matrix4 local;
};

struct PlacedMesh {
    int frame;
    std::size_t firstVertex;
    std::size_t vertexCount;
};

template <typename Reader> class ObjectParser {
  public:
    ObjectParser(Reader& reader, XMesh& mesh) : in_(reader), mesh_(mesh) {}

    // A '}' at the top level ends the data: D3DXLoadMeshFromX keeps what came before it and
    // reads nothing after it, and real files end with a stray one.
    bool readAll(std::string& error) {
        for (XToken next = in_.peek(); next != XToken::end && next != XToken::closeBrace;
             next = in_.peek()) {
            if (!object(-1, 0)) {
                error = in_.where() + ": " + (why_ != nullptr ? why_ : in_.fault());
                return false;
            }
        }
        if (placed_.empty()) {
            error = in_.where() + ": the file holds no mesh";
            return false;
        }
        placeMeshes();
        return true;
    }

  private:
    bool fail(const char* why) {
        why_ = why;
        return false;
    }

    // A plausible count: within `ceiling`, and each item needs at least `numbersPerItem` numbers
    // still in the file.
    bool count(std::uint32_t& value, std::size_t numbersPerItem, std::size_t ceiling) {
        if (!in_.integer(value)) {
            return false;
        }
        if (value > ceiling) {
            return fail("a count larger than the loader's ceiling");
        }
        const std::size_t room = in_.remainingBytes() / Reader::minBytesPerNumber / numbersPerItem;
        return value <= room || fail("a count larger than the rest of the file");
    }

    // Reads n numbers into `values`, replacing what it held (a mesh may give a child object
    // twice; the later one holds). The vector grows with what is read, not with what a count
    // claims, so a file that lies about its counts costs no more memory than the numbers it holds.
    bool realsInto(std::vector<float>& values, std::size_t n) {
        values.clear();
        values.reserve(std::min<std::size_t>(n, initialReserve));
        for (std::size_t i = 0; i < n; ++i) {
            float value = 0;
            if (!in_.real(value)) {
                return false;
            }
            values.push_back(value);
        }
        return true;
    }

    bool reals(float* values, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!in_.real(values[i])) {
                return false;
            }
        }
        return true;
    }

    // "Type [name] [<GUID>] {", or a template declaration, skipped here.
    bool header(std::string& type, std::string& name, bool& isTemplate) {
        isTemplate = in_.peek() == XToken::templateKeyword;
        if (isTemplate) {
            in_.skipValue();
        }
        if (!in_.name(type)) {
            return false;
        }
        const XToken next = in_.peek();
        if (next == XToken::name || next == XToken::number || next == XToken::string) {
            if (!in_.name(name)) {
                return false;
            }
        }
        if (in_.peek() == XToken::guid && !in_.guid()) {
            return false;
        }
        return in_.openBrace();
    }

    // "{ name }" or "{ name <GUID> }" or "{ <GUID> }": a reference to an earlier object, whose
    // name may be a number as frame names are.
    bool reference(std::string& name) {
        if (!in_.openBrace()) {
            return false;
        }
        const XToken next = in_.peek();
        const bool named = next == XToken::name || next == XToken::string || next == XToken::number;
        if (named && !in_.name(name)) {
            return false;
        }
        if (in_.peek() == XToken::guid && !in_.guid()) {
            return false;
        }
        return in_.closeBrace();
    }

    // Any data object; those the mesh needs are read, the rest skipped.
    bool object(int frame, int depth) {
        if (in_.peek() == XToken::openBrace) {
            std::string ignored;
            return reference(ignored);
        }
        if (in_.peek() != XToken::name && in_.peek() != XToken::templateKeyword) {
            return fail("a data object was expected");
        }
        std::string type, name;
        bool isTemplate = false;
        if (!header(type, name, isTemplate)) {
            return false;
        }
        if (isTemplate) {
            return in_.skipBody();
        }
        if (sameName(type, "Frame")) {
            return this->frame(frame, depth);
        }
        if (sameName(type, "Mesh")) {
            return mesh(frame);
        }
        if (sameName(type, "Material")) {
            XMaterial material;
            return this->material(material) && (namedMaterials_[name] = material, true);
        }
        return in_.skipBody();
    }

    // The rest of an object after its data: child objects up to the closing brace. Stray
    // values are passed over.
    template <typename OnChild> bool children(OnChild onChild) {
        for (;;) {
            const XToken next = in_.peek();
            if (next == XToken::closeBrace) {
                return in_.closeBrace();
            }
            if (next == XToken::end) {
                return fail("the file ends inside an object");
            }
            const bool ok =
                next == XToken::name || next == XToken::templateKeyword || next == XToken::openBrace
                    ? onChild()
                    : in_.skipValue();
            if (!ok) {
                return false;
            }
        }
    }

    bool frame(int parent, int depth) {
        if (depth >= maxFrameDepth) {
            return fail("frames nested too deep");
        }
        const int self = static_cast<int>(frames_.size());
        frames_.push_back({parent, identity});
        return children([&] {
            return in_.peek() == XToken::name ? childOfFrame(self, depth) : object(self, depth);
        });
    }

    bool childOfFrame(int self, int depth) {
        std::string type, name;
        bool isTemplate = false;
        if (!header(type, name, isTemplate)) {
            return false;
        }
        if (sameName(type, "FrameTransformMatrix")) {
            Matrix4 local{};
            if (!reals(local.data(), local.size()) || !in_.skipBody()) {
                return false;
            }
            frames_[self].local = local;
            return true;
        }
        if (sameName(type, "Frame")) {
            return frame(self, depth + 1);
        }
        if (sameName(type, "Mesh")) {
            return mesh(self);
        }
        if (sameName(type, "Material")) {
            XMaterial material;
            return this->material(material) && (namedMaterials_[name] = material, true);
        }
        return in_.skipBody();
    }

    bool mesh(int frame) {
        FileMesh file;
        std::uint32_t vertexCount = 0, faceCount = 0;
        if (!count(vertexCount, 3, maxMeshVertices) ||
            !realsInto(file.positions, std::size_t{vertexCount} * 3) ||
            !count(faceCount, 1, maxMeshTriangles) ||
            !faces(faceCount, vertexCount, file.faceSizes, file.corners)) {
            return false;
        }
        const bool ok = children([&] { return meshChild(file); });
        return ok && addMesh(file, frame);
    }

    bool faces(std::uint32_t faceCount, std::uint32_t indexLimit, std::vector<std::uint32_t>& sizes,
               std::vector<std::uint32_t>& corners) {
        sizes.clear();
        corners.clear();
        sizes.reserve(std::min<std::size_t>(faceCount, initialReserve));
        for (std::uint32_t face = 0; face < faceCount; ++face) {
            std::uint32_t size = 0;
            if (!count(size, 1, maxMeshTriangles + 2)) {
                return false;
            }
            sizes.push_back(size);
            for (std::uint32_t i = 0; i < size; ++i) {
                std::uint32_t corner = 0;
                if (!in_.integer(corner)) {
                    return false;
                }
                if (corner >= indexLimit) {
                    return fail("a face names an index past the end of its list");
                }
                corners.push_back(corner);
            }
        }
        return true;
    }

    bool meshChild(FileMesh& file) {
        return childObject([&](const std::string& type, bool isTemplate) {
            if (!isTemplate && sameName(type, "MeshNormals")) {
                return normals(file);
            }
            if (!isTemplate && sameName(type, "MeshTextureCoords")) {
                return texcoords(file);
            }
            if (!isTemplate && sameName(type, "MeshMaterialList")) {
                return materialList(file);
            }
            if (!isTemplate && sameName(type, "MeshVertexColors")) {
                return vertexColours(file);
            }
            return in_.skipBody();
        });
    }

    bool normals(FileMesh& file) {
        std::uint32_t normalCount = 0, faceCount = 0;
        std::vector<std::uint32_t> sizes;
        if (!count(normalCount, 3, maxMeshVertices) ||
            !realsInto(file.normals, std::size_t{normalCount} * 3) ||
            !count(faceCount, 1, maxMeshTriangles) ||
            !faces(faceCount, normalCount, sizes, file.normalCorners)) {
            return false;
        }
        if (sizes != file.faceSizes) {
            // Some writers leave the normals' faces out (a count of 0): the mesh is read
            // without normals rather than refused.
            file.normals.clear();
            file.normalCorners.clear();
        }
        return children([&] { return skipChild(); });
    }

    bool texcoords(FileMesh& file) {
        std::uint32_t coordinateCount = 0;
        return count(coordinateCount, 2, maxMeshVertices) &&
               realsInto(file.texcoords, std::size_t{coordinateCount} * 2) &&
               children([&] { return skipChild(); });
    }

    // Entries of index, red, green, blue and alpha. An entry naming no vertex of the mesh is
    // passed over; a vertex named twice keeps the later colour.
    bool vertexColours(FileMesh& file) {
        std::uint32_t entryCount = 0;
        if (!count(entryCount, 5, maxMeshVertices)) {
            return false;
        }
        const std::size_t vertexCount = file.positions.size() / 3;
        file.colours.assign(vertexCount, unnamedVertexColour);
        for (std::uint32_t i = 0; i < entryCount; ++i) {
            std::uint32_t vertex = 0;
            float rgba[4];
            if (!in_.integer(vertex) || !reals(rgba, 4)) {
                return false;
            }
            if (vertex < vertexCount) {
                file.colours[vertex] = colourByte(rgba[3]) << 24 | colourByte(rgba[0]) << 16 |
                                       colourByte(rgba[1]) << 8 | colourByte(rgba[2]);
            }
        }
        return children([&] { return skipChild(); });
    }

    bool materialList(FileMesh& file) {
        std::uint32_t materialCount = 0, indexCount = 0;
        if (!count(materialCount, 1, maxMeshMaterials) || !count(indexCount, 1, maxMeshTriangles)) {
            return false;
        }
        if (mesh_.materials.size() + materialCount > maxMeshMaterials) {
            return fail("the file names more materials than the loader's ceiling");
        }
        file.faceMaterials.clear();
        file.faceMaterials.reserve(std::min<std::size_t>(indexCount, initialReserve));
        for (std::uint32_t i = 0; i < indexCount; ++i) {
            std::uint32_t index = 0;
            if (!in_.integer(index)) {
                return false;
            }
            if (index >= materialCount) {
                return fail("a face names a material past the end of the list");
            }
            file.faceMaterials.push_back(index);
        }
        file.materials.clear();
        const bool ok = children([&] { return listedMaterial(file.materials); });
        // A list with fewer materials than it counts is filled up; extra ones are dropped.
        file.materials.resize(materialCount, defaultMaterial);
        return ok;
    }

    bool listedMaterial(std::vector<XMaterial>& materials) {
        if (in_.peek() == XToken::openBrace) {
            std::string name;
            if (!reference(name)) {
                return false;
            }
            // D3DXLoadMeshFromX refuses a file whose material list names no earlier material.
            const auto found = namedMaterials_.find(name);
            if (found == namedMaterials_.end()) {
                return fail("a material reference names no material before it");
            }
            materials.push_back(found->second);
            return true;
        }
        std::string type, name;
        bool isTemplate = false;
        if (!header(type, name, isTemplate)) {
            return false;
        }
        if (isTemplate || !sameName(type, "Material")) {
            return in_.skipBody();
        }
        XMaterial material;
        if (!this->material(material)) {
            return false;
        }
        if (!name.empty()) {
            namedMaterials_[name] = material;
        }
        materials.push_back(material);
        return true;
    }

    // After "Material [name] {": diffuse RGBA, power, specular RGB, emissive RGB, then children
    // of which only the texture file name matters.
    bool material(XMaterial& material) {
        material = defaultMaterial;
        if (!reals(material.diffuse, 4) || !in_.real(material.power) ||
            !reals(material.specular, 3) || !reals(material.emissive, 3)) {
            return false;
        }
        return children([&] {
            return childObject([&](const std::string& type, bool isTemplate) {
                if (!isTemplate && sameName(type, "TextureFilename")) {
                    return in_.string(material.textureFileName) && in_.skipBody();
                }
                return in_.skipBody();
            });
        });
    }

    bool skipChild() {
        return childObject([&](const std::string&, bool) { return in_.skipBody(); });
    }

    // One child object: a reference to another object is read and passed over; for a data
    // object its header is read, and onObject(type, isTemplate) reads or skips its body.
    template <typename OnObject> bool childObject(OnObject onObject) {
        if (in_.peek() == XToken::openBrace) {
            std::string ignored;
            return reference(ignored);
        }
        std::string type, name;
        bool isTemplate = false;
        return header(type, name, isTemplate) && onObject(type, isTemplate);
    }

    // -----------------------------------------------------------------------------------------
    // Merging

    bool addMesh(const FileMesh& file, int frame) {
        const std::size_t vertexCount = file.positions.size() / 3;
        const bool withNormals = !file.normalCorners.empty();
        // Each position keeps the normal of the first corner that uses it; a corner giving it a
        // different normal gets a vertex of its own, appended after the file's vertices.
        std::vector<std::uint32_t> normalOfVertex(withNormals ? vertexCount : 0, UINT32_MAX);
        std::unordered_map<std::uint64_t, std::uint32_t> splitVertices;
        std::vector<std::uint32_t> cornerVertex(file.corners.size());
        std::vector<std::uint32_t> extraSources;
        for (std::size_t c = 0; c < file.corners.size(); ++c) {
            const std::uint32_t vertex = file.corners[c];
            cornerVertex[c] = vertex;
            if (!withNormals) {
                continue;
            }
            const std::uint32_t normal = file.normalCorners[c];
            if (normalOfVertex[vertex] == UINT32_MAX) {
                normalOfVertex[vertex] = normal;
            } else if (normalOfVertex[vertex] != normal) {
                const std::uint64_t key = std::uint64_t{vertex} << 32 | normal;
                const auto [entry, added] = splitVertices.try_emplace(
                    key, static_cast<std::uint32_t>(vertexCount + extraSources.size()));
                if (added) {
                    extraSources.push_back(static_cast<std::uint32_t>(c));
                }
                cornerVertex[c] = entry->second;
            }
        }
        const std::size_t total = vertexCount + extraSources.size();
        std::size_t triangles = 0;
        for (std::uint32_t size : file.faceSizes) {
            triangles += size >= 3 ? size - 2 : 0;
        }
        if (mesh_.vertices.size() + total > maxMeshVertices ||
            mesh_.attributes.size() + triangles > maxMeshTriangles) {
            return fail("the file makes more vertices or triangles than the loader's ceiling");
        }
        // No reserve here: an exact one per mesh would defeat the vectors' geometric growth and
        // copy everything merged so far once per mesh.
        const std::size_t base = mesh_.vertices.size();
        for (std::size_t v = 0; v < vertexCount; ++v) {
            const std::uint32_t normal = withNormals ? normalOfVertex[v] : UINT32_MAX;
            mesh_.vertices.push_back(vertexOf(file, v, normal));
        }
        for (std::uint32_t corner : extraSources) {
            mesh_.vertices.push_back(
                vertexOf(file, file.corners[corner], file.normalCorners[corner]));
        }
        addColours(file, base, extraSources);
        addTriangles(file, cornerVertex, base);
        mesh_.hasNormals = mesh_.hasNormals || withNormals;
        mesh_.hasTexcoords = mesh_.hasTexcoords || !file.texcoords.empty();
        placed_.push_back({frame, base, total});
        return true;
    }

    // Once any mesh has vertex colours, every vertex of the merged mesh has one.
    // base: the merged mesh's first vertex of this file mesh.
    void addColours(const FileMesh& file, std::size_t base,
                    const std::vector<std::uint32_t>& extraSources) {
        if (file.colours.empty() && mesh_.colours.empty()) {
            return;
        }
        mesh_.colours.resize(base, uncolouredMeshColour);
        if (file.colours.empty()) {
            mesh_.colours.resize(mesh_.vertices.size(), uncolouredMeshColour);
            return;
        }
        mesh_.colours.insert(mesh_.colours.end(), file.colours.begin(), file.colours.end());
        for (std::uint32_t corner : extraSources) {
            mesh_.colours.push_back(file.colours[file.corners[corner]]);
        }
    }

    static XVertex vertexOf(const FileMesh& file, std::size_t vertex, std::uint32_t normal) {
        XVertex out{};
        std::memcpy(out.position, &file.positions[vertex * 3], sizeof out.position);
        if (normal != UINT32_MAX) {
            std::memcpy(out.normal, &file.normals[std::size_t{normal} * 3], sizeof out.normal);
        }
        if (vertex * 2 + 1 < file.texcoords.size()) {
            std::memcpy(out.texcoord, &file.texcoords[vertex * 2], sizeof out.texcoord);
        }
        return out;
    }

    void addTriangles(const FileMesh& file, const std::vector<std::uint32_t>& cornerVertex,
                      std::size_t base) {
        std::uint32_t materialBase = static_cast<std::uint32_t>(mesh_.materials.size());
        if (!file.materials.empty()) {
            mesh_.materials.insert(mesh_.materials.end(), file.materials.begin(),
                                   file.materials.end());
        } else {
            // Meshes without a material list share one default material, as with D3DX a
            // file of such meshes has a single material.
            if (defaultMaterialIndex_ == UINT32_MAX) {
                defaultMaterialIndex_ = materialBase;
                mesh_.materials.push_back(defaultMaterial);
            }
            materialBase = defaultMaterialIndex_;
        }
        std::size_t first = 0;
        for (std::size_t face = 0; face < file.faceSizes.size(); ++face) {
            const std::uint32_t attribute = materialBase + materialOfFace(file, face);
            const std::uint32_t size = file.faceSizes[face];
            for (std::uint32_t i = 1; i + 1 < size; ++i) {
                for (std::size_t corner : {first, first + i, first + i + 1}) {
                    mesh_.indices.push_back(
                        static_cast<std::uint32_t>(base + cornerVertex[corner]));
                }
                mesh_.attributes.push_back(attribute);
            }
            first += size;
        }
    }

    static std::uint32_t materialOfFace(const FileMesh& file, std::size_t face) {
        if (file.faceMaterials.empty()) {
            return 0;
        }
        return file.faceMaterials[std::min(face, file.faceMaterials.size() - 1)];
    }

    // Moves every mesh read inside a frame by the frame's world matrix: positions by the whole
    // matrix, normals by the inverse transpose of its 3 × 3 part, then normalised.
    void placeMeshes() {
        std::vector<Matrix4> world(frames_.size());
        for (std::size_t i = 0; i < frames_.size(); ++i) {
            const int parent = frames_[i].parent;
            world[i] = parent < 0 ? frames_[i].local : multiply(frames_[i].local, world[parent]);
        }
        for (const PlacedMesh& placed : placed_) {
            if (placed.frame >= 0 && world[placed.frame] != identity) {
                transform(world[placed.frame], placed.firstVertex, placed.vertexCount);
            }
        }
    }

    // Normals in double: with a finite world matrix the cofactors, the normals and their lengths
    // then stay finite.
    void transform(const Matrix4& m, std::size_t first, std::size_t count) {
        const std::array<double, 16> d = toDouble(m);
        // Cofactors of the 3 × 3 part: its inverse transpose up to the determinant's factor.
        const double c[9] = {
            d[5] * d[10] - d[6] * d[9], d[6] * d[8] - d[4] * d[10], d[4] * d[9] - d[5] * d[8],
            d[2] * d[9] - d[1] * d[10], d[0] * d[10] - d[2] * d[8], d[1] * d[8] - d[0] * d[9],
            d[1] * d[6] - d[2] * d[5],  d[2] * d[4] - d[0] * d[6],  d[0] * d[5] - d[1] * d[4]};
        const double determinant = d[0] * c[0] + d[1] * c[1] + d[2] * c[2];
        const double sign = determinant < 0 ? -1.0 : 1.0;
        for (std::size_t v = first; v < first + count; ++v) {
            XVertex& vertex = mesh_.vertices[v];
            // Positions in float, as D3DX moves them, to its last digit.
            const float x = vertex.position[0], y = vertex.position[1], z = vertex.position[2];
            for (int k = 0; k < 3; ++k) {
                vertex.position[k] =
                    floatOrZero(x * m[k] + y * m[4 + k] + z * m[8 + k] + m[12 + k]);
            }
            const double nx = vertex.normal[0], ny = vertex.normal[1], nz = vertex.normal[2];
            double normal[3];
            double length = 0;
            for (int k = 0; k < 3; ++k) {
                normal[k] = sign * (nx * c[k] + ny * c[3 + k] + nz * c[6 + k]);
                length += normal[k] * normal[k];
            }
            length = length > 0 ? std::sqrt(length) : 1.0;
            for (int k = 0; k < 3; ++k) {
                vertex.normal[k] = floatOrZero(normal[k] / length);
            }
        }
    }

    static std::array<double, 16> toDouble(const Matrix4& m) {
        std::array<double, 16> d{};
        std::copy(m.begin(), m.end(), d.begin());
        return d;
    }

    // A value that frames move past float's range is read as nothing rather than handed on as
    // inf or NaN (a world matrix multiplied past float's range holds inf, and NaN follows).
    static float floatOrZero(double value) {
        return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max()
                   ? static_cast<float>(value)
                   : 0.0f;
    }

    Reader& in_;
    XMesh& mesh_;
    const char* why_ = nullptr;
    std::vector<FrameNode> frames_;
    std::vector<PlacedMesh> placed_;
    std::unordered_map<std::string, XMaterial> namedMaterials_;
    std::uint32_t defaultMaterialIndex_ = UINT32_MAX;
};

} // namespace

bool readXObjects(XByteSource& source, XDataForm form, XMesh& mesh, std::string& error) {
    bool read = false;
    if (form.binary) {
        XBinaryReader reader(source, form.floatSize, form.firstByte);
        read = ObjectParser<XBinaryReader>(reader, mesh).readAll(error);
    } else {
        XTextReader reader(source);
        read = ObjectParser<XTextReader>(reader, mesh).readAll(error);
    }
    if (!read && !source.fault().empty()) {
        error = source.fault();
    }
    return read;
}
