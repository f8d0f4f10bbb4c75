// Reads the data objects of a .x file: frames, their matrices, meshes with their normals, texture
// coordinates, vertex colours and material lists, and materials named at the top level. Each
// frame and mesh goes to the merge (x_merge.h) as it is read.
//
// Objects the viewer does not draw from (animation, skinning, effects, headers, template
// declarations, anything unknown) are skipped whole. Every count is checked against the loader's
// ceilings and the bytes left before anything is allocated for it, and arrays grow with the
// numbers read, so a file costs memory in proportion to what it holds.

#include "xfile/x_objects.h"

#include "xfile/mapped_file.h"
#include "xfile/x_merge.h"
#include "xfile/x_readers.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace {

constexpr int maxFrameDepth = 64;
// A mesh's child objects: its normals, texture coordinates, colours, material list, a skin weight
// list per bone and such, a few dozen in real files. Millions of them are a file made to hold
// the loader (each later list replaces the one before it, so they cost time and nothing else).
constexpr std::size_t maxMeshChildren = 1u << 20;

constexpr const char* pastCeiling =
    "the file makes more vertices or triangles than the loader's ceiling";

// The numbers a vector reserves room for before its count is borne out by numbers actually
// read, when the data is not all in hand (a compressed file's counts are checked only against its
// stated size).
constexpr std::size_t initialReserve = 1u << 16;
// Lists are read in runs of at most this many numbers, so that a run's copy stays in the cache.
constexpr std::size_t runLength = 1u << 14;

// The colour D3DXLoadMeshFromX (Wine's, observed) gives a vertex that its mesh's colours do not
// name: white with alpha 0.
constexpr std::uint32_t unnamedVertexColour = 0x00FFFFFF;

// A colour channel of 0 to 1 as a byte, clamped and rounded.
std::uint32_t colourByte(float channel) {
    const float clamped = channel > 0.0f ? (channel < 1.0f ? channel : 1.0f) : 0.0f;
    return static_cast<std::uint32_t>(clamped * 255.0f + 0.5f);
}

// ASCII only, whatever the process's locale: type names are ASCII, and a byte of a name in
// code page 932 never matches one.
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view name, std::string_view wanted) {
    return name.size() == wanted.size() &&
           std::equal(name.begin(), name.end(), wanted.begin(),
                      [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

// The types of data object the loader reads; any other is skipped whole.
enum class Type {
    other,
    frame,
    frameTransformMatrix,
    mesh,
    meshNormals,
    meshTextureCoords,
    meshMaterialList,
    meshVertexColors,
    material,
    textureFilename
};

// Looked up once per object, as the name is read, so that no object costs a copy of its type's
// name (a file may hold millions of small ones).
Type typeNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Type> known[] = {
        {"Frame", Type::frame},
        {"FrameTransformMatrix", Type::frameTransformMatrix},
        {"Mesh", Type::mesh},
        {"MeshNormals", Type::meshNormals},
        {"MeshTextureCoords", Type::meshTextureCoords},
        {"MeshMaterialList", Type::meshMaterialList},
        {"MeshVertexColors", Type::meshVertexColors},
        {"Material", Type::material},
        {"TextureFilename", Type::textureFilename}};
    for (const auto& [typeName, type] : known) {
        if (sameName(name, typeName)) {
            return type;
        }
    }
    return Type::other;
}

template <typename Reader> class ObjectParser {
  public:
    ObjectParser(Reader& reader, XMesh& mesh) : in_(reader), mesh_(mesh), merge_(mesh) {}

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
        if (merge_.empty()) {
            error = in_.where() + ": the file holds no mesh";
            return false;
        }
        merge_.placeMeshes();
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

    // Room for a list of `items` items of `numbersPerItem` numbers each, made once from its
    // checked count, so that the vector never grows by copying; but no more than the bytes left
    // in the file hold at the reader's typical size of a number, so that a count the file does
    // not bear out costs little. Where the data is not all in hand (a compressed file states its
    // size), only a first part is made, and the rest grows with what is read.
    template <typename T>
    void reserveFor(std::vector<T>& values, std::size_t items, std::size_t numbersPerItem = 1) {
        const std::size_t numbers =
            in_.sizeKnown() ? in_.remainingBytes() / Reader::typicalBytesPerNumber : initialReserve;
        reserveWithLargePages(values, std::min(items, numbers / numbersPerItem));
    }

    // Reads n numbers into `values`, replacing what it held (a mesh may give a child object
    // twice; the later one holds). The vector grows a run at a time with what is read, so a file
    // that lies about its counts costs no more memory than the numbers it holds.
    bool realsInto(std::vector<float>& values, std::size_t n) {
        values.clear();
        reserveFor(values, n);
        for (std::size_t done = 0; done < n;) {
            const std::size_t run = std::min(n - done, runLength);
            reserveAtLeast(values, done + run);
            values.resize(done + run);
            if (!in_.reals(values.data() + done, run)) {
                return false;
            }
            done += run;
        }
        return true;
    }

    bool reals(float* values, std::size_t n) { return in_.reals(values, n); }

    // Reads `count` items of `width` numbers each in runs through a buffer that stays in the
    // cache, handing each item to store(index, numbers).
    template <typename Store> bool items(std::size_t count, std::size_t width, Store store) {
        const std::size_t perRun = runLength / width;
        run_.resize(
            std::max(run_.size(), std::min(count, perRun) * width)); // small for small files
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(count - done, perRun);
            if (!in_.reals(run_.data(), n * width)) {
                return false;
            }
            for (std::size_t i = 0; i < n; ++i) {
                store(done + i, run_.data() + i * width);
            }
            done += n;
        }
        return true;
    }

    // "Type [name] [<GUID>] {". A template declaration is of no type the loader reads, so its
    // body is skipped as an unknown object's is.
    bool header(Type& type, std::string& name) {
        const bool isTemplate = in_.peek() == XToken::templateKeyword;
        if (isTemplate) {
            in_.skipValue();
        }
        std::string_view typeName;
        if (!in_.name(typeName)) {
            return false;
        }
        type = isTemplate ? Type::other : typeNamed(typeName);
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

    // Any data object inside `frame` (-1: at the top level), where a frame it opens is `depth`
    // frames deep; those the mesh needs are read, the rest skipped.
    bool object(int frame, int depth) {
        if (in_.peek() == XToken::openBrace) {
            std::string ignored;
            return reference(ignored);
        }
        if (in_.peek() != XToken::name && in_.peek() != XToken::templateKeyword) {
            return fail("a data object was expected");
        }
        Type type = Type::other;
        std::string name;
        if (!header(type, name)) {
            return false;
        }
        if (frame >= 0 && type == Type::frameTransformMatrix) {
            XMatrix local{};
            if (!reals(local.data(), local.size()) || !in_.skipBody()) {
                return false;
            }
            merge_.setFrameMatrix(frame, local);
            return true;
        }
        if (type == Type::frame) {
            return this->frame(frame, depth);
        }
        if (type == Type::mesh) {
            return mesh(frame);
        }
        if (type == Type::material) {
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
        const int self = merge_.addFrame(parent);
        return children([&] { return object(self, depth + 1); });
    }

    // What a mesh's later children leave to fill in once all of them are read: a child may be
    // given again and the later one holds, so each fills only what its own bytes name.
    struct Pending {
        std::uint32_t materialCount = 0;
        bool coloured = false;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> colours; // vertex, ARGB
    };

    bool mesh(int frame) {
        XMeshRecord file;
        Pending pending;
        std::uint32_t vertexCount = 0, faceCount = 0;
        std::size_t childCount = 0;
        const auto child = [&] {
            if (++childCount > maxMeshChildren) {
                return fail("a mesh with more child objects than the loader's ceiling");
            }
            return meshChild(file, pending);
        };
        if (!count(vertexCount, 3, maxMeshVertices)) {
            return false;
        }
        if (merge_.vertexCount() + vertexCount > maxMeshVertices) {
            return fail(pastCeiling);
        }
        if (!positions(vertexCount, file) || !count(faceCount, 1, maxMeshTriangles) ||
            !faces(faceCount, vertexCount, file) || !children(child)) {
            return false;
        }
        fillIn(file, pending);
        return merge_.addMesh(std::move(file), frame) || fail(pastCeiling);
    }

    // Straight into the vertices the merge takes, which grow with what is read.
    bool positions(std::uint32_t vertexCount, XMeshRecord& file) {
        reserveFor(file.vertices, vertexCount, 3);
        return items(vertexCount, 3, [&](std::size_t, const float* position) {
            XVertex vertex{};
            std::memcpy(vertex.position, position, sizeof vertex.position);
            reserveAtLeast(file.vertices, file.vertices.size() + 1);
            file.vertices.push_back(vertex);
        });
    }

    // The faces' sizes and corners. The triangles they make are counted as they are read, and
    // the mesh refused as soon as they pass what the merge has room for.
    bool faces(std::uint32_t faceCount, std::uint32_t vertexCount, XMeshRecord& file) {
        reserveFor(file.corners, std::size_t{faceCount} * 3); // most faces are triangles
        const std::size_t room = maxMeshTriangles - merge_.triangleCount();
        std::size_t triangles = 0;
        for (std::uint32_t face = 0; face < faceCount; ++face) {
            std::uint32_t size = 0;
            if (!count(size, 1, maxMeshTriangles + 2)) {
                return false;
            }
            triangles += size > 2 ? size - 2 : 0;
            if (triangles > room || file.corners.size() + size > maxMeshCorners) {
                return fail(pastCeiling);
            }
            if (size != 3 && file.faceSizes.empty()) { // the first face that is no triangle
                reserveFor(file.faceSizes, faceCount);
                file.faceSizes.assign(face, 3);
            }
            if (!file.faceSizes.empty() || size != 3) {
                file.faceSizes.push_back(size);
            }
            if (!corners(size, vertexCount, &file.corners)) {
                return false;
            }
        }
        return true;
    }

    // A face's corners, each an index below `indexLimit`, appended to `kept` unless it is null.
    // Room for the whole face is made at once from its size, which the ceilings and the bytes
    // left bound: a face of millions of corners is not copied as it grows.
    bool corners(std::uint32_t size, std::uint32_t indexLimit, std::vector<std::uint32_t>* kept) {
        if (kept != nullptr) {
            reserveAtLeast(*kept, kept->size() + size);
        }
        for (std::uint32_t i = 0; i < size; ++i) {
            std::uint32_t corner = 0;
            if (!in_.integer(corner)) {
                return false;
            }
            if (corner >= indexLimit) {
                return fail("a face names an index past the end of its list");
            }
            if (kept != nullptr) {
                kept->push_back(corner);
            }
        }
        return true;
    }

    bool meshChild(XMeshRecord& file, Pending& pending) {
        return childObject([&](Type type) {
            switch (type) {
            case Type::meshNormals:
                return normals(file);
            case Type::meshTextureCoords:
                return texcoords(file);
            case Type::meshMaterialList:
                return materialList(file, pending);
            case Type::meshVertexColors:
                return vertexColours(file, pending);
            default:
                return in_.skipBody();
            }
        });
    }

    // Normals and, for each face of the mesh, a normal index per corner. Some writers give
    // other faces here (or none, a count of 0): the mesh is then read without normals rather
    // than refused, and corners that cannot be used are checked but not kept.
    bool normals(XMeshRecord& file) {
        std::uint32_t normalCount = 0, faceCount = 0;
        if (!count(normalCount, 3, maxMeshVertices) ||
            !realsInto(file.normals, std::size_t{normalCount} * 3) ||
            !count(faceCount, 1, maxMeshTriangles)) {
            return false;
        }
        file.normalCorners.clear();
        bool sameFaces = faceCount == file.faceCount();
        if (sameFaces) {
            reserveWithLargePages(file.normalCorners, file.corners.size());
        }
        for (std::uint32_t face = 0; face < faceCount; ++face) {
            std::uint32_t size = 0;
            if (!count(size, 1, maxMeshTriangles + 2)) {
                return false;
            }
            sameFaces = sameFaces && size == file.faceSize(face);
            if (!corners(size, normalCount, sameFaces ? &file.normalCorners : nullptr)) {
                return false;
            }
        }
        if (!sameFaces) {
            file.normals.clear();
            file.normalCorners.clear();
        }
        return children([&] { return skipChild(); });
    }

    // Into the vertices, in place of any list given before; vertices past the list's end get
    // (0, 0), and coordinates past the vertices are read and dropped.
    bool texcoords(XMeshRecord& file) {
        std::uint32_t coordinateCount = 0;
        if (!count(coordinateCount, 2, maxMeshVertices)) {
            return false;
        }
        std::vector<XVertex>& vertices = file.vertices;
        for (std::size_t v = coordinateCount; v < vertices.size() && file.hasTexcoords; ++v) {
            vertices[v].texcoord[0] = vertices[v].texcoord[1] = 0;
        }
        file.hasTexcoords = coordinateCount > 0;
        return items(coordinateCount, 2,
                     [&](std::size_t v, const float* uv) {
                         if (v < vertices.size()) {
                             std::memcpy(vertices[v].texcoord, uv, sizeof vertices[v].texcoord);
                         }
                     }) &&
               children([&] { return skipChild(); });
    }

    // Entries of index, red, green, blue and alpha. An entry naming no vertex of the mesh is
    // passed over; a vertex named twice keeps the later colour.
    bool vertexColours(XMeshRecord& file, Pending& pending) {
        std::uint32_t entryCount = 0;
        if (!count(entryCount, 5, maxMeshVertices)) {
            return false;
        }
        const std::size_t vertexCount = file.vertices.size();
        pending.coloured = true;
        pending.colours.clear();
        pending.colours.reserve(std::min<std::size_t>(entryCount, initialReserve));
        for (std::uint32_t i = 0; i < entryCount; ++i) {
            std::uint32_t vertex = 0;
            float rgba[4];
            if (!in_.integer(vertex) || !reals(rgba, 4)) {
                return false;
            }
            if (vertex < vertexCount) {
                pending.colours.emplace_back(vertex,
                                             colourByte(rgba[3]) << 24 | colourByte(rgba[0]) << 16 |
                                                 colourByte(rgba[1]) << 8 | colourByte(rgba[2]));
            }
        }
        return children([&] { return skipChild(); });
    }

    // The last material list and colour list given, with what they leave out filled in.
    static void fillIn(XMeshRecord& file, const Pending& pending) {
        // A list with fewer materials than it counts is filled up.
        file.materials.resize(pending.materialCount, defaultXMaterial);
        if (pending.coloured) {
            file.colours.assign(file.vertices.size(), unnamedVertexColour);
            for (const auto& [vertex, colour] : pending.colours) {
                file.colours[vertex] = colour;
            }
        }
    }

    bool materialList(XMeshRecord& file, Pending& pending) {
        std::uint32_t materialCount = 0, indexCount = 0;
        if (!count(materialCount, 1, maxMeshMaterials) || !count(indexCount, 1, maxMeshTriangles)) {
            return false;
        }
        if (mesh_.materials.size() + materialCount > maxMeshMaterials) {
            return fail("the file names more materials than the loader's ceiling");
        }
        file.faceMaterials.clear();
        reserveFor(file.faceMaterials, indexCount);
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
        pending.materialCount = materialCount;
        return children([&] { return listedMaterial(file.materials, materialCount); });
    }

    // A material of a list that counts `materialCount`: those past the count are dropped.
    bool listedMaterial(std::vector<XMaterial>& materials, std::uint32_t materialCount) {
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
            if (materials.size() < materialCount) {
                materials.push_back(found->second);
            }
            return true;
        }
        Type type = Type::other;
        std::string name;
        if (!header(type, name)) {
            return false;
        }
        if (type != Type::material) {
            return in_.skipBody();
        }
        XMaterial material;
        if (!this->material(material)) {
            return false;
        }
        if (!name.empty()) {
            namedMaterials_[name] = material;
        }
        if (materials.size() < materialCount) {
            materials.push_back(material);
        }
        return true;
    }

    // After "Material [name] {": diffuse RGBA, power, specular RGB, emissive RGB, then children
    // of which only the texture file name matters.
    bool material(XMaterial& material) {
        material = defaultXMaterial;
        if (!reals(material.diffuse, 4) || !in_.real(material.power) ||
            !reals(material.specular, 3) || !reals(material.emissive, 3)) {
            return false;
        }
        return children([&] {
            return childObject([&](Type type) {
                if (type == Type::textureFilename) {
                    return in_.string(material.textureFileName) && in_.skipBody();
                }
                return in_.skipBody();
            });
        });
    }

    bool skipChild() {
        return childObject([&](Type) { return in_.skipBody(); });
    }

    // One child object: a reference to another object is read and passed over; for a data
    // object its header is read, and onObject(type) reads or skips its body.
    template <typename OnObject> bool childObject(OnObject onObject) {
        if (in_.peek() == XToken::openBrace) {
            std::string ignored;
            return reference(ignored);
        }
        Type type = Type::other;
        std::string name;
        return header(type, name) && onObject(type);
    }

    Reader& in_;
    XMesh& mesh_;
    XMeshMerge merge_;
    const char* why_ = nullptr;
    std::vector<float> run_; // a run of a list's numbers on their way to the vertices
    std::unordered_map<std::string, XMaterial> namedMaterials_;
};

} // namespace

bool readXObjects(XByteSource& source, XDataForm form, XMesh& mesh, std::string& error) {
    const auto readWith = [&](auto& reader) {
        using Reader = std::remove_reference_t<decltype(reader)>;
        // A file whose mesh does not fit in memory is refused like any other: the viewer runs on.
        try {
            return ObjectParser<Reader>(reader, mesh).readAll(error);
        } catch (const std::bad_alloc&) {
            mesh = XMesh{};
            error = reader.where() + ": not enough memory for the mesh";
            return false;
        }
    };
    bool read = false;
    if (form.binary) {
        XBinaryReader reader(source, form.floatSize, form.firstByte);
        read = readWith(reader);
    } else {
        XTextReader reader(source);
        read = readWith(reader);
    }
    if (!read && !source.fault().empty()) {
        error = source.fault();
    }
    return read;
}
