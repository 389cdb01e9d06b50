#pragma once

// The orbit camera: the eye sits on a sphere of `radius` around `center`,
// at azimuth `theta` (from +x towards +y) and polar angle `phi` (from +z).

struct vec3 {
    float x, y, z;
};

constexpr float PI_APPROX = 3.1416f;
constexpr float angle_step = 0.031416f;

extern vec3 eye;
extern vec3 center;
extern float radius;
extern float theta;
extern float phi;

void init_camera();
void update_eye();
void update_eye_xy();

// What gluLookAt receives for the current camera.
struct look_at {
    double eye[3];
    double center[3];
    double up[3];
};

look_at camera_look_at();
