#include "gl_wraps.h"

bool recording_binds = false;
std::vector<GLuint> binds;
std::vector<upload> uploads;
std::function<void(std::size_t)> after_upload;

extern "C" {

void __real_glBindTexture(GLenum target, GLuint name);
void __real_glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                         GLsizei height, GLint border, GLenum format, GLenum type,
                         const void* pixels);

void __wrap_glBindTexture(GLenum target, GLuint name)
{
    if (recording_binds)
        binds.push_back(name);
    __real_glBindTexture(target, name);
}

void __wrap_glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                         GLsizei height, GLint border, GLenum format, GLenum type,
                         const void* pixels)
{
    __real_glTexImage2D(target, level, internal_format, width, height, border, format, type,
                        pixels);
    uploads.push_back({internal_format, format, type, width, height});
    if (after_upload)
        after_upload(uploads.size());
}
}
