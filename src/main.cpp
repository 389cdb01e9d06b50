#include "keyboard.h"
#include "platform_gl.h"
#include "viewer.h"

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    init_viewer();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMainLoop();
    return 0;
}
