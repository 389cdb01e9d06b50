// What a frame and the start-up cost in a real headless Mesa context, each
// beside the lower bound of the same work done the plainest way.

#include "headless_gl.h"
#include "scene.h"
#include "scene_model.h"

#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

// The start view, as the viewer sets it up before it issues the grid.
void start_view()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(30, -24, 40, 30, 24, 0, 0, 0, 1);
}

// Times only what `issue` sends, as the frame-rate line does; the frame
// is finished outside the timed span, so each iteration starts idle.
template <typename Issue> void time_issue(benchmark::State& state, Issue issue)
{
    for (auto _ : state) {
        start_view();
        const auto start = clock_type::now();
        issue();
        const auto stop = clock_type::now();
        glFinish();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

// Times the whole frame, to the last pixel.
template <typename Issue> void time_finished(benchmark::State& state, Issue issue)
{
    for (auto _ : state) {
        start_view();
        issue();
        glFinish();
    }
}

// The grid's 72 quads as plain data, corners and texture coordinates in
// the viewer's drawing order, taken from the tests' model of the scene so
// that the bounds share no code with what they bound.
struct quad_data {
    GLfloat vertices[72 * 4][3];
    GLfloat texture[72 * 4][2];
};

const quad_data& grid_quads()
{
    static const quad_data quads = [] {
        quad_data q{};
        int v = 0;
        for (int box = 0; box < 12; ++box)
            for (int face = 0; face < face_count; ++face) {
                const std::array<vec, 4> corners = face_corners(box, face);
                for (int k = 0; k < 4; ++k, ++v) {
                    for (int i = 0; i < 3; ++i)
                        q.vertices[v][i] = static_cast<GLfloat>(corners[k][i]);
                    q.texture[v][0] = corner_texture_coordinates[k][0];
                    q.texture[v][1] = corner_texture_coordinates[k][1];
                }
            }
        return q;
    }();
    return quads;
}

void bare_loop()
{
    const quad_data& q = grid_quads();
    for (int i = 0; i < 72; ++i) {
        glBindTexture(GL_TEXTURE_2D, texture_names[i]);
        glBegin(GL_QUADS);
        for (int k = 4 * i; k < 4 * i + 4; ++k) {
            glTexCoord2fv(q.texture[k]);
            glVertex3fv(q.vertices[k]);
        }
        glEnd();
    }
}

void one_texture_one_begin()
{
    const quad_data& q = grid_quads();
    glBindTexture(GL_TEXTURE_2D, texture_names[0]);
    glBegin(GL_QUADS);
    for (int k = 0; k < 72 * 4; ++k) {
        glTexCoord2fv(q.texture[k]);
        glVertex3fv(q.vertices[k]);
    }
    glEnd();
}

void one_texture_vertex_array()
{
    const quad_data& q = grid_quads();
    glBindTexture(GL_TEXTURE_2D, texture_names[0]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, q.vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, q.texture);
    glDrawArrays(GL_QUADS, 0, 72 * 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void draw_grid_issue(benchmark::State& state) { time_issue(state, draw_grid); }
void bare_loop_issue(benchmark::State& state) { time_issue(state, bare_loop); }
void one_texture_one_begin_issue(benchmark::State& state) { time_issue(state, one_texture_one_begin); }
void one_texture_vertex_array_issue(benchmark::State& state) { time_issue(state, one_texture_vertex_array); }
void draw_grid_finished(benchmark::State& state) { time_finished(state, draw_grid); }
void bare_loop_finished(benchmark::State& state) { time_finished(state, bare_loop); }
void one_texture_vertex_array_finished(benchmark::State& state) { time_finished(state, one_texture_vertex_array); }

// Start-up: the whole load, its two halves, and one upload. Each load
// makes a texture set of its own; the drawing benchmarks must go on
// drawing the first one, so the names are put back afterwards.
GLuint grid_names[texture_count];

void forget_textures()
{
    glDeleteTextures(texture_count, texture_names);
    std::memcpy(texture_names, grid_names, sizeof texture_names);
}

void load_textures_whole(benchmark::State& state)
{
    for (auto _ : state) {
        load_textures();
        glFinish();
        state.PauseTiming();
        forget_textures();
        state.ResumeTiming();
    }
}

void reads_72(benchmark::State& state)
{
    std::vector<unsigned char> pixels(picture_bytes);
    for (auto _ : state)
        for (int i = 0; i < texture_count; ++i) {
            read_picture(pixels.data());
            benchmark::DoNotOptimize(pixels.data());
        }
}

// The uploads as load_textures makes them in this build, packing included.
void uploads_72(benchmark::State& state)
{
    std::vector<unsigned char> pixels(picture_bytes), packed(packed_bytes);
    read_picture(pixels.data());
    for (auto _ : state) {
        glGenTextures(texture_count, texture_names);
        for (const GLuint name : texture_names)
            upload_texture(name, pixels.data(), packed.data());
        glFinish();
        state.PauseTiming();
        forget_textures();
        state.ResumeTiming();
    }
}

void one_upload(benchmark::State& state)
{
    std::vector<unsigned char> pixels(picture_bytes);
    read_picture(pixels.data());
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (auto _ : state) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glFinish();
    }
    glDeleteTextures(1, &name);
}

void pack(benchmark::State& state)
{
    std::vector<unsigned char> pixels(picture_bytes, 0x5A), packed(packed_bytes);
    for (auto _ : state) {
        pack_rgb4(packed.data(), pixels.data());
        benchmark::DoNotOptimize(packed.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(picture_bytes));
}

void copy(benchmark::State& state)
{
    std::vector<unsigned char> pixels(picture_bytes, 0x5A), copied(picture_bytes);
    for (auto _ : state) {
        std::memcpy(copied.data(), pixels.data(), picture_bytes);
        benchmark::DoNotOptimize(copied.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(picture_bytes));
}

}

BENCHMARK(draw_grid_issue)->UseManualTime();
BENCHMARK(bare_loop_issue)->UseManualTime();
BENCHMARK(one_texture_one_begin_issue)->UseManualTime();
BENCHMARK(one_texture_vertex_array_issue)->UseManualTime();
BENCHMARK(draw_grid_finished);
BENCHMARK(bare_loop_finished);
BENCHMARK(one_texture_vertex_array_finished);
BENCHMARK(load_textures_whole)->Unit(benchmark::kMillisecond);
BENCHMARK(reads_72)->Unit(benchmark::kMillisecond);
BENCHMARK(uploads_72)->Unit(benchmark::kMillisecond);
BENCHMARK(one_upload)->Unit(benchmark::kMillisecond);
BENCHMARK(pack);
BENCHMARK(copy);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The shipped picture, read the way the viewer reads it.
    if (chdir(TEXTURES_DATA_DIR) != 0)
        return 1;
    start_headless_viewer();
    load_textures();
    std::memcpy(grid_names, texture_names, sizeof grid_names);
    // Mesa compiles its shaders for each new state on first use; keep that
    // out of every figure.
    for (int i = 0; i < 20; ++i) {
        start_view();
        draw_grid();
        bare_loop();
        one_texture_one_begin();
        one_texture_vertex_array();
        glFinish();
    }
    benchmark::AddCustomContext("variant", USE_PACKED_TEXTURES != 0 ? "packed 4-bit" : "8-bit");
    benchmark::AddCustomContext("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
