#pragma once

// Link-time stand-ins for the GLUT calls the callbacks make, so that the
// callbacks run in a headless context; they count what was asked of GLUT.
extern int redisplays_posted;
extern int buffer_swaps;
