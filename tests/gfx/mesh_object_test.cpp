#include "gfx/mesh_object.h"

#include "fakes/recording_graphics.h"
#include "gfx/graphics_setup.h"
#include "gfx/matrix_checks.h"

#include <gtest/gtest.h>

namespace rg = recording_graphics;

namespace {

constexpr float quarterTurn = 1.5707964f;

std::uintptr_t handleOf(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

class MeshObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rg::reset();
        device = reinterpret_cast<DeviceHandle>(0xDE00);
    }

    // Loads a mesh file with the given materials and forgets the calls of the load.
    void loadFile(const std::vector<MeshMaterial>& materials) {
        rg::script.meshFiles["thing.x"] = rg::MeshFile{materials};
        mesh.load("thing.x");
    }

    MeshObject mesh;
};

TEST_F(MeshObjectTest, LoadAsksForASystemMemoryMeshOnTheDevice) {
    loadFile({});
    const rg::Call load = rg::callsNamed("loadMeshFromX").at(0);
    EXPECT_EQ("thing.x", load.text);
    EXPECT_EQ(0x110u, load.values[0]);
    EXPECT_EQ(handleOf(device), load.values[1]);
    EXPECT_EQ(load.made, handleOf(mesh.mesh));
}

TEST_F(MeshObjectTest, AmbientBecomesTheDiffuseColourAndTheRestIsKept) {
    const Material first = rg::distinctMaterial(0.1f);
    const Material second = rg::distinctMaterial(0.5f);
    loadFile({{first, ""}, {second, ""}});
    ASSERT_EQ(2u, mesh.materialCount());
    for (std::size_t i = 0; i < 2; ++i) {
        const Material& source = i == 0 ? first : second;
        const Material& loaded = mesh.materials[i];
        EXPECT_EQ(source.diffuse, loaded.diffuse);
        EXPECT_EQ(source.diffuse, loaded.ambient);
        EXPECT_EQ(source.specular, loaded.specular);
        EXPECT_EQ(source.emissive, loaded.emissive);
        EXPECT_EQ(source.power, loaded.power);
    }
}

TEST_F(MeshObjectTest, EachMaterialLoadsItsOwnTextureByTheStoredName) {
    loadFile({{rg::distinctMaterial(0.1f), "stone.bmp"},
              {rg::distinctMaterial(0.2f), ""},
              {rg::distinctMaterial(0.3f), "stone.bmp"}});
    const std::vector<rg::Call> loads = rg::callsNamed("createTextureFromFile");
    ASSERT_EQ(2u, loads.size()); // a material without a name asks for nothing
    EXPECT_EQ("stone.bmp", loads[0].text);
    EXPECT_EQ("stone.bmp", loads[1].text);
    EXPECT_EQ(handleOf(device), loads[0].values[0]);
    EXPECT_EQ(loads[0].made, handleOf(mesh.textures[0]));
    EXPECT_EQ(nullptr, mesh.textures[1]);
    EXPECT_EQ(loads[1].made, handleOf(mesh.textures[2]));
    EXPECT_NE(mesh.textures[0], mesh.textures[2]);
}

TEST_F(MeshObjectTest, MissingTextureLeavesOnlyItsSubsetUntextured) {
    rg::script.missingTextures = {"gone.bmp"};
    loadFile({{rg::distinctMaterial(0.1f), "a.bmp"},
              {rg::distinctMaterial(0.2f), "gone.bmp"},
              {rg::distinctMaterial(0.3f), "c.bmp"}});
    rg::calls.clear();

    mesh.draw({0, 0, 0}, {0, 0, 0});

    EXPECT_EQ((std::vector<std::string>{
                  "setTransform", "setMaterial", "setTexture", "drawMeshSubset", "setMaterial",
                  "setTexture", "drawMeshSubset", "setMaterial", "setTexture", "drawMeshSubset"}),
              rg::callNames());
    const std::vector<rg::Call> textures = rg::callsNamed("setTexture");
    const std::vector<rg::Call> materials = rg::callsNamed("setMaterial");
    const std::vector<rg::Call> subsets = rg::callsNamed("drawMeshSubset");
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(0u, textures[i].values[1]); // stage 0
        EXPECT_EQ(handleOf(mesh.textures[i]), textures[i].values[2]);
        EXPECT_EQ(mesh.materials[i], materials[i].material);
        EXPECT_EQ(handleOf(mesh.mesh), subsets[i].values[0]);
        EXPECT_EQ(i, subsets[i].values[1]);
    }
    EXPECT_NE(0u, textures[0].values[2]);
    EXPECT_EQ(0u, textures[1].values[2]);
    EXPECT_NE(0u, textures[2].values[2]);
}

// A texture named by another machine's path is found by its bare name in the working folder;
// one that opens as stored is never looked for elsewhere.
TEST_F(MeshObjectTest, TextureThatDoesNotOpenAsStoredIsTriedByItsBareName) {
    rg::script.missingTextures = {"C:\\Users\\me\\513.jpg", "D:/art/gone.bmp", "gone.bmp"};
    loadFile({{rg::distinctMaterial(0.1f), "C:\\Users\\me\\513.jpg"},
              {rg::distinctMaterial(0.2f), "D:/art/gone.bmp"},
              {rg::distinctMaterial(0.3f), "here\\wall.bmp"}});
    std::vector<std::string> asked;
    for (const rg::Call& call : rg::callsNamed("createTextureFromFile")) {
        asked.push_back(call.text);
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\Users\\me\\513.jpg", "513.jpg", "D:/art/gone.bmp",
                                        "gone.bmp", "here\\wall.bmp"}),
              asked);
    EXPECT_NE(nullptr, mesh.textures[0]);
    EXPECT_EQ(nullptr, mesh.textures[1]);
    EXPECT_NE(nullptr, mesh.textures[2]);
}

// "表" and "ソ" end in the byte 0x5C in code page 932, which is not a separator there.
TEST(BareFileNameTest, SplitsAtTheLastSeparatorReadingDoubleByteCharactersWhole) {
    EXPECT_EQ("表ソ.bmp", bareFileName("C:\\表\\表ソ.bmp"));
    EXPECT_EQ("ソ表", bareFileName("dir/ソ表"));
    EXPECT_EQ("a.bmp", bareFileName("a.bmp"));
    EXPECT_EQ("", bareFileName("dir\\"));
}

TEST_F(MeshObjectTest, WithoutRotationTheWorldIsThePureTranslation) {
    loadFile({});
    mesh.draw({0.0f, 2.4f, 0.0f}, {0, 0, 0});
    Matrix expected{};
    matrixTranslation(expected, 0.0f, 2.4f, 0.0f);
    const rg::Call world = rg::callsNamed("setTransform").at(0);
    EXPECT_EQ(256u, world.values[1]);
    EXPECT_EQ(expected, world.matrix);
}

// Rotation (a, b, c) turns about z by c first, then about x by a, then about y by b; the
// x-y-z order would send these points elsewhere.
TEST_F(MeshObjectTest, WorldTurnsAboutZThenXThenYThenMoves) {
    loadFile({});
    mesh.draw({10, 20, 30}, {quarterTurn, quarterTurn, quarterTurn});
    const Matrix world = rg::callsNamed("setTransform").at(0).matrix;
    expectNear({11, 20, 30}, transformPoint(world, {1, 0, 0}));
    expectNear({10, 20, 31}, transformPoint(world, {0, 1, 0}));
    expectNear({10, 19, 30}, transformPoint(world, {0, 0, 1}));
}

TEST_F(MeshObjectTest, WithoutMaterialsOnlyTheWorldTransformIsSet) {
    loadFile({});
    rg::calls.clear();
    mesh.draw({1, 2, 3}, {0.1f, 0.2f, 0.3f});
    EXPECT_EQ((std::vector<std::string>{"setTransform"}), rg::callNames());
}

TEST_F(MeshObjectTest, ReleaseFreesEachTextureAndTheMesh) {
    rg::script.missingTextures = {"gone.bmp"};
    loadFile({{rg::distinctMaterial(0.1f), "a.bmp"}, {rg::distinctMaterial(0.2f), "gone.bmp"}});
    const std::uintptr_t texture = handleOf(mesh.textures[0]);
    const std::uintptr_t meshHandle = handleOf(mesh.mesh);
    rg::calls.clear();

    mesh.release();

    EXPECT_EQ((std::vector<std::string>{"releaseTexture", "releaseMesh"}), rg::callNames());
    EXPECT_EQ(texture, rg::calls[0].values[0]);
    EXPECT_EQ(meshHandle, rg::calls[1].values[0]);
    EXPECT_EQ(0u, mesh.materialCount());
}

// A file that cannot be loaded leaves an empty object; the viewer runs on without the mesh.
TEST_F(MeshObjectTest, UnloadableFileGivesAnEmptyObjectThatDrawsAndReleasesNothing) {
    mesh.load("missing.x");
    EXPECT_EQ(nullptr, mesh.mesh);
    EXPECT_EQ(0u, mesh.materialCount());
    EXPECT_TRUE(rg::callsNamed("createTextureFromFile").empty());
    rg::calls.clear();

    mesh.draw({1, 2, 3}, {0, 0, 0});
    mesh.release();

    EXPECT_EQ((std::vector<std::string>{"setTransform"}), rg::callNames());
}

} // namespace
