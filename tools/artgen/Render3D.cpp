#include "Render3D.h"

#include <algorithm>

namespace artgen {

void Mesh::Append(const Mesh &other) {
    const uint32_t base = uint32_t(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (Triangle t : other.triangles)
        triangles.push_back({t.a + base, t.b + base, t.c + base, t.material});
}

Mesh Grid(int nu, int nv, const std::function<Vec3(double, double)> &f, Material m, bool wrapU) {
    Mesh mesh;
    const int cu = wrapU ? nu : nu + 1; // distinct vertex columns
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i < cu; ++i)
            mesh.vertices.push_back({f(double(i) / nu, double(j) / nv), {}});
    auto at = [&](int i, int j) { return uint32_t(j * cu + (wrapU ? i % nu : i)); };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            mesh.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), m});
            mesh.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1), m});
        }
    // Area-weighted face normals, summed per vertex. The orientation of the
    // result does not matter: the shader turns normals towards the viewer.
    std::vector<Vec3> sum(mesh.vertices.size());
    for (const Triangle &t : mesh.triangles) {
        const Vec3 a = mesh.vertices[t.a].pos, b = mesh.vertices[t.b].pos,
                   c = mesh.vertices[t.c].pos;
        const Vec3 n = Cross(b - a, c - a);
        sum[t.a] = sum[t.a] + n;
        sum[t.b] = sum[t.b] + n;
        sum[t.c] = sum[t.c] + n;
    }
    for (size_t k = 0; k < sum.size(); ++k)
        mesh.vertices[k].normal = Normalize(sum[k]);
    return mesh;
}

Vec3 Pose::Rotate(Vec3 p) const {
    // Roll about the model's length axis (x), then pitch about its span axis
    // (y), then heading about the view axis (z).
    const double cr = std::cos(roll), sr = std::sin(roll);
    p = {p.x, p.y * cr - p.z * sr, p.y * sr + p.z * cr};
    const double cp = std::cos(pitch), sp = std::sin(pitch);
    p = {p.x * cp - p.z * sp, p.y, p.x * sp + p.z * cp};
    const double cy = std::cos(yaw), sy = std::sin(yaw);
    return {p.x * cy - p.y * sy, p.x * sy + p.y * cy, p.z};
}

Rasteriser::Rasteriser(int w, int h, int ss, Camera camera)
    : m_w(w), m_h(h), m_ss(ss), m_camera(camera), m_samples(size_t(w * ss) * size_t(h * ss)) {
    m_camera.scale *= ss;
    m_camera.cx *= ss;
    m_camera.cy *= ss;
}

void Rasteriser::Bounds(const Mesh &mesh, const Pose &pose, const Camera &camera, double &x0,
                        double &y0, double &x1, double &y1) {
    x0 = y0 = 1e30;
    x1 = y1 = -1e30;
    for (const Vertex &v : mesh.vertices) {
        const Projected p = camera.Project(pose.Rotate(v.pos) + pose.offset);
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
}

void Rasteriser::Draw(const Mesh &mesh, const Pose &pose) {
    const int W = m_w * m_ss, H = m_h * m_ss;
    std::vector<Projected> proj(mesh.vertices.size());
    std::vector<Vec3> normals(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        proj[i] = m_camera.Project(pose.Rotate(mesh.vertices[i].pos) + pose.offset);
        normals[i] = pose.Rotate(mesh.vertices[i].normal);
    }
    for (const Triangle &t : mesh.triangles) {
        const Projected &a = proj[t.a], &b = proj[t.b], &c = proj[t.c];
        const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (std::abs(area) < 1e-12)
            continue;
        const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(W - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(H - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int y = y0; y <= y1; ++y) {
            const double py = y + 0.5;
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5;
                double wa = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                double wb = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                double wc = 1.0 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0)
                    continue;
                const double z = wa * a.z + wb * b.z + wc * c.z;
                Sample &s = m_samples[size_t(y) * size_t(W) + size_t(x)];
                if (z <= s.depth)
                    continue;
                s.depth = float(z);
                s.material = t.material;
                const Vertex &va = mesh.vertices[t.a], &vb = mesh.vertices[t.b],
                             &vc = mesh.vertices[t.c];
                s.model = va.pos * wa + vb.pos * wb + vc.pos * wc;
                Vec3 n = Normalize(normals[t.a] * wa + normals[t.b] * wb + normals[t.c] * wc);
                if (n.z < 0)
                    n = n * -1.0;
                s.normal = n;
            }
        }
    }
}

Image Rasteriser::Resolve(const std::function<Rgb(const Sample &)> &shade) const {
    Image out(m_w, m_h);
    const int W = m_w * m_ss;
    const float k = 1.f / float(m_ss * m_ss);
    for (int y = 0; y < m_h; ++y)
        for (int x = 0; x < m_w; ++x) {
            Rgba sum;
            for (int j = 0; j < m_ss; ++j)
                for (int i = 0; i < m_ss; ++i) {
                    const Sample &s =
                        m_samples[size_t(y * m_ss + j) * size_t(W) + size_t(x * m_ss + i)];
                    if (s.material == Material::None)
                        continue;
                    const Rgb c = Clamp01(shade(s));
                    sum.r += c.r, sum.g += c.g, sum.b += c.b, sum.a += 1.f;
                }
            out.At(x, y) = {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
        }
    return out;
}

} // namespace artgen
