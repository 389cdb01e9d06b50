// The web build's own layer, linked into it alone: what the browser's
// OpenGL 1.x emulation (Emscripten's, on WebGL) gets wrong for this viewer,
// put right by definitions that take the place of the emulation's own; a
// start-up that hands back to the browser between uploads; the program's
// window drawn at the screen's own pixels; and the page's ways in to the
// keyboard callback and the camera.

#include "camera.h"
#include "keyboard.h"
#include "platform_gl.h"
#include "pointer.h"
#include "viewer.h"

#include <emscripten.h>

#include <cmath>
#include <iterator>
#include <vector>

extern "C" {

// The upload and the viewport the emulation leaves to WebGL itself.
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// The emulation's own loses its result; this is GLU's arithmetic, in
// single precision as GLU has it.
void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble center_x,
               GLdouble center_y, GLdouble center_z, GLdouble up_x, GLdouble up_y, GLdouble up_z)
{
    const auto normalize = [](float v[3]) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r == 0.0f)
            return; // as GLU: a zero vector stays as it is
        for (int i = 0; i < 3; ++i)
            v[i] /= r;
    };
    const auto cross = [](const float a[3], const float b[3], float out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    float forward[3] = {static_cast<float>(center_x - eye_x), static_cast<float>(center_y - eye_y),
                        static_cast<float>(center_z - eye_z)};
    float up[3] = {static_cast<float>(up_x), static_cast<float>(up_y), static_cast<float>(up_z)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    // Column-major: the rows of the rotation are side, up and -forward.
    const GLfloat m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                           side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixf(m);
    glTranslated(-eye_x, -eye_y, -eye_z);
}

// The emulation takes the environment mode from glTexEnvi alone, and
// warns on every other call.
void glTexEnvf(GLenum target, GLenum name, GLfloat value)
{
    glTexEnvi(target, name, static_cast<GLint>(value));
}

namespace {

// WebGL takes no GL_RGB4. The packed picture arrives widened to bytes
// (each component n * 17), so it goes up as WebGL's own four bits a
// component, which shows the same colours.
void upload_rgb4(GLenum target, GLint level, GLsizei width, GLsizei height, GLint border,
                 const void* pixels)
{
    // Taken once, at the first upload, and reused for every texture.
    static std::vector<GLushort> packed;
    packed.resize(static_cast<std::size_t>(width) * height);
    const auto* rgb = static_cast<const unsigned char*>(pixels);
    for (std::size_t i = 0; i < packed.size(); ++i) {
        const unsigned char* p = rgb + 3 * i;
        packed[i] =
            static_cast<GLushort>((p[0] >> 4) << 12 | (p[1] >> 4) << 8 | (p[2] >> 4) << 4 | 0xF);
    }
    emscripten_glTexImage2D(target, level, GL_RGBA, width, height, border, GL_RGBA,
                            GL_UNSIGNED_SHORT_4_4_4_4, packed.data());
}

}

// Tells the page how many textures are up, then lets the browser run its
// other tasks (input, painting) before the program goes on: a message to
// itself comes back sooner than a timer. Asyncify unwinds the program's
// calls on the way here and winds them back.
EM_ASYNC_JS(void, hand_back, (int uploaded), {
    // Wound back after the last upload, the start ends as GLUT's main loop
    // ends it, by unwinding to the browser, which the runtime takes as no
    // error when it calls the program itself.
    if (!Asyncify.asyncPromiseHandlers)
        Asyncify.whenDone().catch(handleException);
    if (Module["on_upload"])
        Module["on_upload"](uploaded);
    await new Promise(function(resolve) {
        var channel = new MessageChannel();
        channel.port1.onmessage = resolve;
        channel.port2.postMessage(0);
    });
});

// Start-up is mostly the uploads: they go on in short tasks, so that the
// page answers while it loads. The browser gets its turn after the first
// (the runtime's and context's set-up before it make a task of their own)
// and then whenever the program has held it for 8 ms: a fast machine
// loads in a few tasks, a slow one in many.
void glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels)
{
    if (internal_format == GL_RGB4 && format == GL_RGB && type == GL_UNSIGNED_BYTE)
        upload_rgb4(target, level, width, height, border, pixels);
    else
        emscripten_glTexImage2D(target, level, internal_format, width, height, border, format,
                                type, pixels);
    static int uploaded = 0;
    static double handed_back = 0;
    ++uploaded;
    if (emscripten_get_now() - handed_back >= 8) {
        hand_back(uploaded);
        handed_back = emscripten_get_now();
    }
}

namespace {

// The program's viewport, in the pixels of its window, which stays 512 x
// 512 whatever the canvas; and the canvas's drawing buffer, which has as
// many pixels as the canvas covers on the screen.
GLint viewport[4] = {0, 0, window_width, window_height};
GLsizei buffer[2] = {window_width, window_height};

// The viewport on the drawing buffer: the same part of it as of the window.
void scale_viewport()
{
    const auto scaled = [](GLint value, GLsizei to, int from) {
        return static_cast<GLint>(std::lround(static_cast<double>(value) * to / from));
    };
    emscripten_glViewport(scaled(viewport[0], buffer[0], window_width),
                          scaled(viewport[1], buffer[1], window_height),
                          scaled(viewport[2], buffer[0], window_width),
                          scaled(viewport[3], buffer[1], window_height));
}

}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
    scale_viewport();
}

// The page has given the canvas a drawing buffer of this size, just before
// a frame.
EMSCRIPTEN_KEEPALIVE void fit_buffer(int width, int height)
{
    buffer[0] = width;
    buffer[1] = height;
    scale_viewport();
}

// The page asks for a frame: its drawing buffer has changed size, or it
// has set the view.
EMSCRIPTEN_KEEPALIVE void redraw()
{
    glutPostRedisplay();
}

// The page's own presses (its buttons and gestures) reach the program here,
// each as a key in a view mode (current_mode for the current one).
EMSCRIPTEN_KEEPALIVE void press_from_page(int key, int mode)
{
    if (key >= 0 && key <= 255)
        press_key(static_cast<unsigned char>(key), mode);
}

// The page counts its gestures' steps by the program's own rule.
EMSCRIPTEN_KEEPALIVE int page_travel_steps(double travel, int sent)
{
    return travel_steps(travel, sent);
}

EMSCRIPTEN_KEEPALIVE int page_drag_mode(int button, int shift)
{
    return drag_mode(button, shift != 0);
}

// The page takes the keys, the mouse and the wheel itself, with the
// browser's own meaning kept where it has one (a reload, a scroll), and
// hands the program its presses: the program has no listeners of its own.
void glutMouseFunc(void (*)(int, int, int, int)) {}
void glutMotionFunc(void (*)(int, int)) {}
void glutSpecialFunc(void (*)(int, int, int)) {}

// Emscripten's GLUT reads the document (its listeners, the canvas's style,
// full screen), which a worker has not. The window is the canvas the page
// handed over, whose size the page's side sets.
void glutInit(int*, char**) {}
void glutInitWindowSize(int, int) {}
void glutInitWindowPosition(int, int) {}

// The context GLUT would make, which the page's side has already had of
// the canvas (Firefox refuses to hand out a worker's canvas's context
// twice), and the emulation started on it.
EM_JS(int, make_context, (), {
    var handle = GL.registerContext(Module["webgl"], Module["context_attributes"]);
    if (!handle)
        return 0;
    GL.makeContextCurrent(handle);
    Module.ctx = GLctx;
    // Where the emulation looks for it: the module (Emscripten 3.1.6), or
    // Browser (later ones).
    Module.useWebGL = Browser.useWebGL = true;
    Browser.moduleContextCreatedCallbacks.forEach(function(callback) { callback(); });
    return 1;
});

int glutCreateWindow(const char*)
{
    return make_context();
}

// As GLUT's: the projection for the window, a first frame asked for, and
// back to the browser with the program kept alive.
void glutMainLoop()
{
    reshape(window_width, window_height);
    glutPostRedisplay();
    emscripten_exit_with_live_runtime();
}

namespace {

// The view, as the page carries it in its address and over to a fresh run
// when the WebGL context is lost.
constexpr int view_fields = std::size(camera_fields) + 1;

bool is_view_mode(double mode)
{
    return mode >= 0 && mode < view_mode_count && mode == std::floor(mode);
}

}

EMSCRIPTEN_KEEPALIVE double view_field(int i)
{
    if (i < 0 || i >= view_fields)
        return 0;
    return i < view_fields - 1 ? *camera_fields[i] : view_mode;
}

// Set before the run's first frame, which then shows the view carried over.
EMSCRIPTEN_KEEPALIVE void set_view_field(int i, double value)
{
    if (i >= 0 && i < view_fields - 1)
        *camera_fields[i] = static_cast<float>(value);
    else if (i == view_fields - 1 && is_view_mode(value))
        view_mode = static_cast<int>(value);
}

// Ends this run, so that the page can start a fresh one with another
// picture: the runtime's exit, which the page otherwise holds off between
// frames.
EMSCRIPTEN_KEEPALIVE void quit_viewer()
{
    emscripten_force_exit(0);
}
}
