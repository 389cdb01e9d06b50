#define GL_GLEXT_PROTOTYPES
#include "headless_gl.h"

#include "camera.h"
#include "viewer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void give_up(const char* what)
{
    std::fprintf(stderr, "headless OpenGL: %s failed (EGL error 0x%x)\n", what, eglGetError());
    std::exit(2);
}

void create_context()
{
    const EGLDisplay display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        give_up("eglInitialize");
    if (!eglBindAPI(EGL_OPENGL_API))
        give_up("eglBindAPI");
    const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                        EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config;
    EGLint configs = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &configs) || configs == 0)
        give_up("eglChooseConfig");
    // A compatibility profile, for the immediate mode the viewer draws with.
    const EGLint context_attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const EGLContext context =
        eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT)
        give_up("eglCreateContext");
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        give_up("eglMakeCurrent");
}

}

void use_headless_gl(int width, int height)
{
    static GLuint framebuffer = 0;
    static GLuint renderbuffers[2] = {0, 0};
    if (framebuffer == 0) {
        create_context();
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(2, renderbuffers);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              renderbuffers[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              renderbuffers[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        give_up("framebuffer set-up");
    glViewport(0, 0, width, height);
}

std::vector<unsigned char> read_rgb(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

void start_headless_viewer()
{
    use_headless_gl(512, 512);
    init_gl_state();
    init_camera();
    reshape(512, 512);
}
