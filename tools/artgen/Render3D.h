// A small software renderer for the jets: triangle meshes, a depth buffer
// at a supersampled resolution, and deferred per-sample shading.
#pragma once

#include "Image.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace artgen {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 Normalize(Vec3 a) {
    const double l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0 / l) : Vec3{0, 0, 1};
}

// Surface kinds; the shader gives each its colour and finish.
enum class Material : uint8_t {
    None,
    Body,
    Canopy,
    Nozzle,
    NozzleInner,
    Missile,
    Flame,
};

struct Vertex {
    Vec3 pos;    // model space
    Vec3 normal; // model space
};

struct Triangle {
    uint32_t a, b, c;
    Material material;
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;

    void Append(const Mesh &other);
};

// A surface patch over (u, v) in [0,1]^2, nu x nv cells, with normals
// averaged over the patch's faces. `wrapU` closes the patch along u.
Mesh Grid(int nu, int nv, const std::function<Vec3(double u, double v)> &f, Material m,
          bool wrapU = false);

// Rotation and placement of a model in the view. View space: x to the right,
// y up the picture, z towards the viewer, who looks straight down.
struct Pose {
    double yaw = 0;   // heading, radians, counter-clockwise; 0 = nose to the right
    double pitch = 0; // nose raised towards the viewer, radians
    double roll = 0;  // right wing dropping away from the viewer, radians
    Vec3 offset;      // position in view space (model units)

    Vec3 Rotate(Vec3 p) const;
};

// A view-space point on the picture: pixels (supersampled), and its depth.
struct Projected {
    double x, y, z;
};

// Maps view space to the picture: `scale` pixels per model unit at depth 0,
// centred on (cx, cy), with a mild perspective from an eye `eye` units away.
struct Camera {
    double scale = 100;
    double cx = 0, cy = 0;
    double eye = 8;

    Projected Project(Vec3 v) const {
        const double k = scale * eye / (eye - v.z);
        return {cx + v.x * k, cy - v.y * k, v.z};
    }
};

// One sample of the frame's geometry.
struct Sample {
    float depth = -1e30f;
    Material material = Material::None;
    Vec3 model;  // model-space position of the surface
    Vec3 normal; // view-space normal, turned towards the viewer
};

class Rasteriser {
  public:
    // A picture of w x h pixels, each made of ss x ss samples.
    Rasteriser(int w, int h, int ss, Camera camera);

    void Draw(const Mesh &mesh, const Pose &pose);

    // Bounding box (in picture pixels) that a mesh would cover.
    static void Bounds(const Mesh &mesh, const Pose &pose, const Camera &camera, double &x0,
                       double &y0, double &x1, double &y1);

    // Shades every covered sample and averages each pixel's samples.
    Image Resolve(const std::function<Rgb(const Sample &)> &shade) const;

  private:
    int m_w, m_h, m_ss;
    Camera m_camera;
    std::vector<Sample> m_samples;
};

} // namespace artgen
