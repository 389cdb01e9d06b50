#include "gl_wraps.h"
#include "headless_gl.h"
#include "picture_files.h"
#include "scene.h"
#include "scene_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

namespace {

std::vector<unsigned char> texture_contents(GLuint name)
{
    std::vector<unsigned char> contents(picture_bytes);
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, contents.data());
    return contents;
}

class scene_gl : public testing::Test {
protected:
    void SetUp() override
    {
        use_headless_gl(512, 512);
        uploads.clear();
        binds.clear();
        after_upload = nullptr;
    }
    void TearDown() override { after_upload = nullptr; }

    scratch_directory directory;
};

// One corner of a quad as OpenGL received it.
struct corner {
    std::array<float, 3> position;
    std::array<float, 2> texture;
    bool operator<(const corner& o) const
    {
        return std::tie(position, texture) < std::tie(o.position, o.texture);
    }
    bool operator==(const corner& o) const
    {
        return position == o.position && texture == o.texture;
    }
};

// A quad's corners with the texture coordinates the model gives them.
std::set<corner> expected_corners(int box, int face)
{
    const std::array<vec, 4> c = face_corners(box, face);
    std::set<corner> corners;
    for (int k = 0; k < 4; ++k)
        corners.insert({{static_cast<float>(c[k][0]), static_cast<float>(c[k][1]),
                         static_cast<float>(c[k][2])},
                        corner_texture_coordinates[k]});
    return corners;
}

}

TEST_F(scene_gl, load_textures_fills_72_distinct_textures_from_the_file)
{
    const std::vector<unsigned char> bytes = random_bytes(picture_bytes, 9);
    write_file("armor.raw", bytes);
    load_textures();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::set<GLuint> distinct(std::begin(texture_names), std::end(texture_names));
    EXPECT_EQ(distinct.size(), 72u);
    EXPECT_EQ(distinct.count(0), 0u);
    ASSERT_EQ(uploads.size(), 72u);
    const std::vector<unsigned char> expected = texels_for(bytes);
    for (int i = 0; i < texture_count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(uploads[i].internal_format, USE_PACKED_TEXTURES != 0 ? GL_RGB4 : GL_RGB);
        EXPECT_EQ(uploads[i].format, static_cast<GLenum>(GL_RGB));
        EXPECT_EQ(uploads[i].type, static_cast<GLenum>(GL_UNSIGNED_BYTE));
        EXPECT_EQ(uploads[i].width, 256);
        EXPECT_EQ(uploads[i].height, 256);
        ASSERT_TRUE(texture_contents(texture_names[i]) == expected);
        GLint filter;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
        EXPECT_EQ(filter, GL_NEAREST);
    }
    GLint mode;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_REPLACE);
}

TEST_F(scene_gl, packed_variant_keeps_the_top_four_bits_of_each_component)
{
    // Components whose low nibble would round the top one up if a driver
    // reduced them to 4 bits itself.
    std::vector<unsigned char> bytes(picture_bytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(0x0F + 0x10 * (i % 15));
    write_file("armor.raw", bytes);
    load_textures();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<unsigned char> contents = texture_contents(texture_names[71]);
    EXPECT_EQ(contents[0], USE_PACKED_TEXTURES != 0 ? 0x00 : 0x0F);
    EXPECT_EQ(contents[1], USE_PACKED_TEXTURES != 0 ? 0x11 : 0x1F);
    EXPECT_EQ(contents, texels_for(bytes));
}

TEST_F(scene_gl, a_longer_file_loads_its_first_bytes_with_one_warning)
{
    const std::vector<unsigned char> bytes = random_bytes(picture_bytes + 100, 10);
    write_file("armor.raw", bytes);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    load_textures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "textures: warning: \"armor.raw\" holds 196708 bytes; only the first 196608 are used\n");
    EXPECT_TRUE(texture_contents(texture_names[0]) == texels_for(bytes));
    EXPECT_TRUE(texture_contents(texture_names[71]) == texels_for(bytes));
}

TEST_F(scene_gl, random_bytes_load_into_every_slot)
{
    const std::vector<unsigned char> bytes = random_bytes(picture_bytes, 11);
    write_file("armor.raw", bytes);
    load_textures();
    for (const GLuint name : texture_names)
        ASSERT_TRUE(texture_contents(name) == texels_for(bytes));
}

TEST_F(scene_gl, a_file_that_shrinks_or_goes_between_reads_ends_the_load)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    write_file("armor.raw", random_bytes(picture_bytes, 12));
    EXPECT_EXIT(
        {
            use_headless_gl(64, 64);
            after_upload = [](std::size_t done) {
                if (done == 3)
                    std::filesystem::resize_file("armor.raw", 1000);
            };
            load_textures();
        },
        testing::ExitedWithCode(1),
        "^textures: \"armor\\.raw\" is too short: 1000 bytes found, 196608 expected\n$");
    write_file("armor.raw", random_bytes(picture_bytes, 12));
    EXPECT_EXIT(
        {
            use_headless_gl(64, 64);
            after_upload = [](std::size_t done) {
                if (done == 71)
                    std::filesystem::remove("armor.raw");
            };
            load_textures();
        },
        testing::ExitedWithCode(1),
        "^textures: cannot open \"armor\\.raw\": No such file or directory\n$");
}

TEST_F(scene_gl, draw_grid_binds_each_faces_slot_and_draws_its_quad)
{
    write_file("armor.raw", random_bytes(picture_bytes, 13));
    load_textures();

    // Culling off, and an orthographic view whose window coordinates give
    // back the world coordinates: x and y shifted by 10, z from the depth.
    glDisable(GL_CULL_FACE);
    glViewport(0, 0, 80, 60);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 70, -10, 50, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::vector<GLfloat> feedback(20000);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    recording_binds = true;
    draw_grid();
    recording_binds = false;
    const GLint used = glRenderMode(GL_RENDER);
    ASSERT_GT(used, 0);

    // Each quad comes back as two triangles of 11 floats a vertex.
    std::vector<std::vector<corner>> triangles;
    for (GLint i = 0; i < used;) {
        ASSERT_EQ(feedback[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
        ASSERT_EQ(feedback[i + 1], 3.0f);
        std::vector<corner> triangle;
        for (int v = 0; v < 3; ++v) {
            const GLfloat* f = &feedback[i + 2 + v * 11];
            triangle.push_back({{std::round(f[0] - 10), std::round(f[1] - 10),
                                 std::round((0.5f - f[2]) * 40)},
                                {f[7], f[8]}});
        }
        triangles.push_back(triangle);
        i += 2 + 33;
    }
    ASSERT_EQ(triangles.size(), 144u);
    ASSERT_EQ(binds.size(), 72u);

    for (int box = 0; box < 12; ++box) {
        for (int face = 0; face < face_count; ++face) {
            const int quad = box * 6 + face;
            SCOPED_TRACE(testing::Message() << "box " << box << " " << face_names[face]);
            EXPECT_EQ(binds[quad], texture_names[box * 6 + face_slot_offsets[face]]);
            std::set<corner> received;
            for (const auto& triangle : {triangles[2 * quad], triangles[2 * quad + 1]}) {
                received.insert(triangle.begin(), triangle.end());
                // Counter-clockwise seen from outside: the normal by the
                // right-hand rule points out of the box.
                const auto& a = triangle[0].position;
                const auto& b = triangle[1].position;
                const auto& c = triangle[2].position;
                const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
                const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                const float normal[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                                         u[0] * w[1] - u[1] * w[0]};
                const vec& out = face_outward[face];
                EXPECT_GT(normal[0] * out[0] + normal[1] * out[1] + normal[2] * out[2], 0);
            }
            EXPECT_EQ(received, expected_corners(box, face));
        }
    }
    GLfloat coordinate[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coordinate);
    EXPECT_EQ(coordinate[0], 0.0f);
    EXPECT_EQ(coordinate[1], 1.0f);
    glEnable(GL_CULL_FACE);
}
