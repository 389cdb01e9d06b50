#include "glut_stand_ins.h"

#include <GL/freeglut.h>

int redisplays_posted = 0;
int buffer_swaps = 0;

void glutPostRedisplay()
{
    ++redisplays_posted;
}

void glutSwapBuffers()
{
    ++buffer_swaps;
}

// No modifier is held.
int glutGetModifiers()
{
    return 0;
}
