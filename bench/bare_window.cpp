// The lower bound of the viewer's start-up: a bare GLUT window of the same
// kind that uploads the same picture 72 times, read once, in the build's
// texture format, and draws one textured quad in its first frame (so that
// it too pays for the driver's first textured drawing), then prints a line.

#include <GL/freeglut.h>

#include <cstdio>
#include <vector>

namespace {

void first_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-0.5f, -0.5f);
    glTexCoord2f(1, 0);
    glVertex2f(0.5f, -0.5f);
    glTexCoord2f(1, 1);
    glVertex2f(0.5f, 0.5f);
    glTexCoord2f(0, 1);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    std::printf("FPS: first frame\n");
    glutSwapBuffers();
}

}

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    // The window init_viewer makes, written out again rather than shared:
    // a lower bound must stay put when the code it bounds changes.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(512, 512);
    glutInitWindowPosition(200, 100);
    glutCreateWindow("textures");
    std::vector<unsigned char> pixels(256 * 256 * 3);
    std::FILE* file = std::fopen("armor.raw", "rb");
    if (file == nullptr || std::fread(pixels.data(), 1, pixels.size(), file) != pixels.size()) {
        std::fprintf(stderr, "bare_window: cannot read armor.raw\n");
        return 1;
    }
    std::fclose(file);
    GLuint names[72];
    glGenTextures(72, names);
    for (const GLuint name : names) {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, USE_PACKED_TEXTURES != 0 ? GL_RGB4 : GL_RGB, 256, 256, 0,
                     GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }
    glutDisplayFunc(first_frame);
    glutMainLoop();
    return 0;
}
