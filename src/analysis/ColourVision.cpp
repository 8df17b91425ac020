#include "ColourVision.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double ToLinear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int FromLinear(double c)
{
    c = std::clamp(c, 0.0, 1.0);
    const double s = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return int(std::lround(s * 255));
}

double LabF(double t)
{
    constexpr double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
}

double Deg(double rad) { return rad * 180 / std::numbers::pi; }
double Rad(double deg) { return deg * std::numbers::pi / 180; }

// Machado, Oliveira & Fernandes, "A Physiologically-based Model for Simulation of Color Vision
// Deficiency", IEEE TVCG 15(6), 2009: the matrices for severity 1.0 from the authors' published
// table, applied to linear RGB.
constexpr double kMachado[3][3][3] = {
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}},
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}},
    {{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}},
};

} // namespace

Lab LabOfSrgb(Rgb8 c)
{
    const double r = ToLinear(c.r), g = ToLinear(c.g), b = ToLinear(c.b);
    const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
    const double fx = LabF(x / 0.95047), fy = LabF(y / 1.0), fz = LabF(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double DeltaE2000(const Lab& x, const Lab& y)
{
    const double c1 = std::hypot(x.a, x.b), c2 = std::hypot(y.a, y.b);
    const double cMean = (c1 + c2) / 2;
    const double c7 = std::pow(cMean, 7);
    const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * x.a, a2 = (1 + g) * y.a;
    const double cp1 = std::hypot(a1, x.b), cp2 = std::hypot(a2, y.b);
    auto hue = [](double b, double a) {
        if (a == 0 && b == 0) return 0.0;
        const double h = Deg(std::atan2(b, a));
        return h < 0 ? h + 360 : h;
    };
    const double hp1 = hue(x.b, a1), hp2 = hue(y.b, a2);

    const double dL = y.L - x.L;
    const double dC = cp2 - cp1;
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = hp2 - hp1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(Rad(dh / 2));

    const double lMean = (x.L + y.L) / 2;
    const double cpMean = (cp1 + cp2) / 2;
    double hMean = hp1 + hp2;
    if (cp1 * cp2 != 0) {
        if (std::abs(hp1 - hp2) <= 180)
            hMean /= 2;
        else
            hMean = hMean < 360 ? (hMean + 360) / 2 : (hMean - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(Rad(hMean - 30)) + 0.24 * std::cos(Rad(2 * hMean)) +
                     0.32 * std::cos(Rad(3 * hMean + 6)) - 0.20 * std::cos(Rad(4 * hMean - 63));
    const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
    const double cp7 = std::pow(cpMean, 7);
    const double rc = 2 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
    const double l50 = (lMean - 50) * (lMean - 50);
    const double sl = 1 + 0.015 * l50 / std::sqrt(20 + l50);
    const double sc = 1 + 0.045 * cpMean;
    const double sh = 1 + 0.015 * cpMean * t;
    const double rt = -std::sin(Rad(2 * dTheta)) * rc;
    const double tl = dL / sl, tc = dC / sc, th = dH / sh;
    return std::sqrt(tl * tl + tc * tc + th * th + rt * tc * th);
}

Rgb8 SimulateDichromacy(Rgb8 c, Dichromacy kind)
{
    const double in[3] = {ToLinear(c.r), ToLinear(c.g), ToLinear(c.b)};
    const auto& m = kMachado[int(kind)];
    double out[3];
    for (int i = 0; i < 3; ++i) out[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    return {FromLinear(out[0]), FromLinear(out[1]), FromLinear(out[2])};
}
