#include "scene/filter_quad.h"

#include "fakes/recording_graphics.h"
#include "gfx/graphics_setup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace rg = recording_graphics;

namespace {

constexpr std::uintptr_t theDevice = 0xDE00;

class FilterQuadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rg::reset();
        device = reinterpret_cast<DeviceHandle>(theDevice);
    }

    // The four vertices as the last draw uploaded them.
    static std::vector<FilterVertex> uploadedVertices() {
        const std::string bytes = rg::callsNamed("unlockVertexBuffer").back().text;
        std::vector<FilterVertex> corners(4);
        std::memcpy(corners.data(), bytes.data(), 4 * sizeof(FilterVertex));
        return corners;
    }
};

TEST_F(FilterQuadTest, CreatesA112ByteBufferInTheDefaultPool) {
    FilterQuad quad;
    const rg::Call create = rg::callsNamed("createVertexBuffer").at(0);
    EXPECT_EQ((std::vector<std::uintptr_t>{theDevice, 112, 0, 0x144, 0}), create.values);
    EXPECT_NE(nullptr, quad.vertexBuffer);
}

TEST_F(FilterQuadTest, DrawPlacesTheCornersAsATriangleStrip) {
    FilterQuad quad;
    quad.draw(20.0f, 20.0f, 50.0f, 50.0f);
    const std::vector<FilterVertex> v = uploadedVertices();
    struct Corner {
        float x, y, u, v;
    };
    const Corner expected[4] = {
        {20, 20, 0, 0}, // top left
        {70, 20, 1, 0}, // top right
        {20, 70, 0, 1}, // bottom left
        {70, 70, 1, 1}, // bottom right
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].x, v[i].x) << i;
        EXPECT_EQ(expected[i].y, v[i].y) << i;
        EXPECT_EQ(expected[i].u, v[i].u) << i;
        EXPECT_EQ(expected[i].v, v[i].v) << i;
        EXPECT_EQ(0.0f, v[i].z);
        EXPECT_EQ(1.0f, v[i].rhw);
        EXPECT_EQ(0xFFFFFFFFu, v[i].color) << "opaque white until a colour is set";
    }
}

TEST_F(FilterQuadTest, ColourReachesAllFourCornersAtTheNextDraw) {
    FilterQuad quad;
    quad.draw(0, 0, 10, 10);
    quad.setColor(0xC8FAFAFA);
    EXPECT_EQ(1u, rg::callsNamed("unlockVertexBuffer").size()) << "setting it draws nothing";
    EXPECT_EQ(0xFFFFFFFFu, uploadedVertices()[0].color);
    quad.draw(0, 0, 10, 10);
    for (const FilterVertex& corner : uploadedVertices()) {
        EXPECT_EQ(0xC8FAFAFAu, corner.color);
    }
}

TEST_F(FilterQuadTest, DrawBlendsTheTexturedQuadAndSwitchesBlendingOffAgain) {
    FilterQuad quad;
    ASSERT_TRUE(quad.loadTexture("filter.bmp", 0));
    rg::calls.clear();
    quad.draw(1, 2, 3, 4);
    const std::vector<std::string> expected = {"lockVertexBuffer",
                                               "unlockVertexBuffer",
                                               "setTextureStageState",
                                               "setTextureStageState",
                                               "setTextureStageState",
                                               "setRenderState",
                                               "setRenderState",
                                               "setRenderState",
                                               "setTexture",
                                               "setStreamSource",
                                               "setFvf",
                                               "drawPrimitive",
                                               "setRenderState"};
    ASSERT_EQ(expected, rg::callNames());
    using Values = std::vector<std::uintptr_t>;
    const auto buffer = reinterpret_cast<std::uintptr_t>(quad.vertexBuffer);
    const auto texture = reinterpret_cast<std::uintptr_t>(quad.texture);
    EXPECT_EQ((Values{buffer, 0, 112, 0}), rg::calls[0].values);
    EXPECT_EQ((Values{theDevice, 0, 4, 4}), rg::calls[2].values); // alpha op: modulate
    EXPECT_EQ((Values{theDevice, 0, 2, 2}), rg::calls[3].values); // colour arg 1: texture
    EXPECT_EQ((Values{theDevice, 0, 3, 0}), rg::calls[4].values); // colour arg 2: diffuse
    EXPECT_EQ((Values{theDevice, 27, 1}), rg::calls[5].values);   // alpha blending on
    EXPECT_EQ((Values{theDevice, 19, 5}), rg::calls[6].values);   // source alpha
    EXPECT_EQ((Values{theDevice, 20, 6}), rg::calls[7].values);   // inverse source alpha
    EXPECT_EQ((Values{theDevice, 0, texture}), rg::calls[8].values);
    EXPECT_EQ((Values{theDevice, 0, buffer, 0, 28}), rg::calls[9].values);
    EXPECT_EQ((Values{theDevice, 0x144}), rg::calls[10].values);
    EXPECT_EQ((Values{theDevice, 5, 0, 2}), rg::calls[11].values); // strip of two triangles
    EXPECT_EQ((Values{theDevice, 27, 0}), rg::calls[12].values);   // alpha blending off
}

TEST_F(FilterQuadTest, FailedLockChangesNoState) {
    FilterQuad quad;
    rg::script.lockFails = true;
    rg::calls.clear();
    quad.draw(1, 2, 3, 4);
    EXPECT_EQ(std::vector<std::string>{"lockVertexBuffer"}, rg::callNames());
}

TEST_F(FilterQuadTest, WithoutAVertexBufferNothingIsDrawn) {
    rg::script.vertexBufferFails = true;
    FilterQuad quad;
    EXPECT_EQ(nullptr, quad.vertexBuffer);
    rg::calls.clear();
    quad.draw(1, 2, 3, 4);
    quad.release();
    EXPECT_TRUE(rg::calls.empty());
}

TEST_F(FilterQuadTest, MissingImageLeavesTheQuadUntexturedButDrawn) {
    rg::script.missingTextures.insert("フィルター画像.bmp");
    FilterQuad quad;
    EXPECT_FALSE(quad.loadTexture("フィルター画像.bmp", 0));
    EXPECT_EQ(nullptr, quad.texture);
    const rg::Call load = rg::callsNamed("createTextureFromFileEx").at(0);
    // Default size, mip levels and filters; any format; managed pool; no colour key.
    EXPECT_EQ((std::vector<std::uintptr_t>{theDevice, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 1,
                                           0xFFFFFFFF, 0xFFFFFFFF, 0}),
              load.values);
    rg::calls.clear();
    quad.draw(1, 2, 3, 4);
    EXPECT_EQ((std::vector<std::uintptr_t>{theDevice, 0, 0}),
              rg::callsNamed("setTexture").at(0).values);
    EXPECT_EQ(1u, rg::callsNamed("drawPrimitive").size());
    EXPECT_EQ("setRenderState", rg::calls.back().name);
}

TEST_F(FilterQuadTest, ReleaseFreesBufferThenTextureOnce) {
    FilterQuad quad;
    quad.loadTexture("filter.bmp", 0);
    const auto buffer = reinterpret_cast<std::uintptr_t>(quad.vertexBuffer);
    const auto texture = reinterpret_cast<std::uintptr_t>(quad.texture);
    rg::calls.clear();
    quad.release();
    quad.release();
    ASSERT_EQ((std::vector<std::string>{"releaseVertexBuffer", "releaseTexture"}), rg::callNames());
    EXPECT_EQ(buffer, rg::calls[0].values[0]);
    EXPECT_EQ(texture, rg::calls[1].values[0]);
}

} // namespace
