#include "keyboard.h"
#include "platform_gl.h"
#include "pointer.h"
#include "viewer.h"

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    init_viewer();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(special);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutMainLoop();
    return 0;
}
