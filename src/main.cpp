#include "keyboard.h"
#include "viewer.h"

#include <GL/freeglut.h>

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
