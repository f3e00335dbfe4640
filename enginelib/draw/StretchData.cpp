#include "enginelib/draw/StretchData.h"

#include <cmath>

void TMatriz3RodAdv::SetIdentity()
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = r == c ? 1.0 : 0.0;
}

static double Snap(double v)
{
    if (std::fabs(v) < 1e-6)
        return 0.0;
    if (std::fabs(v - 1.0) < 1e-6)
        return 1.0;
    if (std::fabs(v + 1.0) < 1e-6)
        return -1.0;
    return v;
}

void TMatriz3RodAdv::SetRotation(float angle, const TRectIG& src, const TRectIG& dst)
{
    double c = Snap(std::cos(double(angle)));
    double s = Snap(std::sin(double(angle)));
    if (!std::isfinite(c) || !std::isfinite(s)) {
        c = 1.0;
        s = 0.0;
    }
    const double sw = double(src.right) - src.left, sh = double(src.bottom) - src.top;
    const double dw = double(dst.right) - dst.left, dh = double(dst.bottom) - dst.top;
    const bool swap = std::fabs(s) > std::fabs(c);
    double kx = 1.0, ky = 1.0;
    if (sw > 0 && sh > 0 && dw > 0 && dh > 0) {
        kx = (swap ? dh : dw) / sw;
        ky = (swap ? dw : dh) / sh;
    }
    const double scx = src.left + sw / 2, scy = src.top + sh / 2;
    const double dcx = dst.left + dw / 2, dcy = dst.top + dh / 2;
    // p' = R * K * (p - sc) + dc
    m[0][0] = c * kx;
    m[0][1] = -s * ky;
    m[1][0] = s * kx;
    m[1][1] = c * ky;
    m[0][2] = dcx - (m[0][0] * scx + m[0][1] * scy);
    m[1][2] = dcy - (m[1][0] * scx + m[1][1] * scy);
    m[2][0] = 0.0;
    m[2][1] = 0.0;
    m[2][2] = 1.0;
}

bool TMatriz3RodAdv::Invert(TMatriz3RodAdv& inv) const
{
    const double det = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    const double a = m[1][1] / det, b = -m[0][1] / det;
    const double c = -m[1][0] / det, d = m[0][0] / det;
    inv.m[0][0] = a;
    inv.m[0][1] = b;
    inv.m[1][0] = c;
    inv.m[1][1] = d;
    inv.m[0][2] = -(a * m[0][2] + b * m[1][2]);
    inv.m[1][2] = -(c * m[0][2] + d * m[1][2]);
    inv.m[2][0] = 0.0;
    inv.m[2][1] = 0.0;
    inv.m[2][2] = 1.0;
    return std::isfinite(inv.m[0][2]) && std::isfinite(inv.m[1][2]);
}

void TMatriz3RodAdv::Transform(double x, double y, double& ox, double& oy) const
{
    ox = m[0][0] * x + m[0][1] * y + m[0][2];
    oy = m[1][0] * x + m[1][1] * y + m[1][2];
}

bool TMatriz3RodAdv::IsPixelExact() const
{
    auto unit = [](double v) { return v == 0.0 || v == 1.0 || v == -1.0; };
    if (!unit(m[0][0]) || !unit(m[0][1]) || !unit(m[1][0]) || !unit(m[1][1]))
        return false;
    // One non-zero entry per row and per column.
    return std::fabs(m[0][0]) + std::fabs(m[0][1]) == 1.0 &&
           std::fabs(m[1][0]) + std::fabs(m[1][1]) == 1.0 &&
           std::fabs(m[0][0]) + std::fabs(m[1][0]) == 1.0;
}
