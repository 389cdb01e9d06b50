#pragma once

// OpenGL, GLU and GLUT, from wherever the platform keeps them.
#if defined(__APPLE__)
// macOS marks its OpenGL deprecated; the viewer knows.
#define GL_SILENCE_DEPRECATION
#include <GLUT/glut.h>
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#else
#if defined(_WIN32)
// Windows' gl.h needs the calling conventions that windows.h defines.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
// freeglut built for Windows installs only its own name for the header.
#if __has_include(<GL/glut.h>)
#include <GL/glut.h>
#else
#include <GL/freeglut.h>
#endif
#endif
