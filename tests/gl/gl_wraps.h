#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

// The GL test program is linked with --wrap for glBindTexture and
// glTexImage2D: every call still reaches Mesa, and is also recorded here.
struct upload {
    GLint internal_format;
    GLenum format;
    GLenum type;
    GLsizei width, height;
};

extern bool recording_binds;
extern std::vector<GLuint> binds;
extern std::vector<upload> uploads;
// Runs after each upload has reached OpenGL, with the uploads made so far.
extern std::function<void(std::size_t)> after_upload;
