#pragma once

// The orbit camera: the eye sits on a sphere of `radius` around `center`,
// at azimuth `theta` (from +x towards +y) and polar angle `phi` (from +z).

struct vec3 {
    float x, y, z;
};

constexpr float PI_APPROX = 3.1416f;
// What a movement key changes, a step: the angles, the radius, or the eye
// and the look-at point together.
constexpr float angle_step = 0.031416f;
constexpr float distance_step = 0.5f;
constexpr float pan_step = 1.0f;

extern vec3 eye;
extern vec3 center;
extern float radius;
extern float theta;
extern float phi;

// The camera's fields, in the order the page carries the view (its address,
// a run that takes over from another): then comes the view mode.
inline float* const camera_fields[] = {&eye.x,    &eye.y,  &eye.z, &center.x, &center.y,
                                       &center.z, &radius, &theta, &phi};

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
