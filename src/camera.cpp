#include "camera.h"

#include <cmath>

vec3 eye;
vec3 center;
float radius;
float theta;
float phi;

void init_camera()
{
    eye = {30, -24, 40};
    center = {30, 24, 0};
    // The start eye and look-at point share x, so the x offset is taken as 0.
    const double dx = 0;
    const double dy = eye.y - center.y;
    const double dz = eye.z - center.z;
    radius = static_cast<float>(std::sqrt(dy * dy + dz * dz));
    if (eye.y > center.y)
        theta = static_cast<float>(std::acos(dx / std::sqrt(dy * dy)));
    else
        theta = static_cast<float>(std::acos(-dx / std::sqrt(dy * dy)) + PI_APPROX);
    phi = static_cast<float>(std::acos(dz / radius));
}

void update_eye_xy()
{
    const double ring = std::sin(double{phi}) * radius;
    eye.x = static_cast<float>(std::cos(double{theta}) * ring + center.x);
    eye.y = static_cast<float>(std::sin(double{theta}) * ring + center.y);
}

void update_eye()
{
    update_eye_xy();
    eye.z = static_cast<float>(std::cos(double{phi}) * radius + center.z);
}

// gluLookAt has no answer when the eye is on the look-at point or looks
// along the up axis; there we take the limit of the neighbouring views.
look_at camera_look_at()
{
    look_at view{{eye.x, eye.y, eye.z}, {center.x, center.y, center.z}, {0, 0, 1}};
    const double sin_phi = std::sin(double{phi});
    double offset[3] = {double{eye.x} - center.x, double{eye.y} - center.y,
                        double{eye.z} - center.z};
    double reach = radius;
    if (offset[0] == 0 && offset[1] == 0 && offset[2] == 0) {
        // Radius 0: look the way a small positive radius would.
        offset[0] = std::cos(double{theta}) * sin_phi;
        offset[1] = std::sin(double{theta}) * sin_phi;
        offset[2] = std::cos(double{phi});
        reach = 1;
        for (int i = 0; i < 3; ++i)
            view.center[i] = view.eye[i] - offset[i];
    }
    const double level = std::hypot(offset[0], offset[1]);
    const double length = std::hypot(level, offset[2]);
    if (level <= 1e-4 * length) {
        // Along the up axis the screen's up tends to the horizontal
        // direction of the azimuth, turned by the side the eye comes from;
        // sin(phi) = 0 counts as the side of a small positive phi.
        const bool ahead = (sin_phi >= 0) == (reach >= 0);
        const double side = (offset[2] > 0) == ahead ? -1 : 1;
        view.up[0] = side * std::cos(double{theta});
        view.up[1] = side * std::sin(double{theta});
        view.up[2] = 0;
    }
    return view;
}
