#include "output/page.h"

#include <cmath>
#include <cstdio>

namespace zemba {

PaperRect FitInto(const PaperRect& box, double w, double h) {
    if (w <= 0 || h <= 0 || box.width <= 0 || box.height <= 0) return box;
    const double s = std::min(box.width / w, box.height / h);
    PaperRect r;
    r.width = std::max(1, static_cast<int>(std::lround(w * s)));
    r.height = std::max(1, static_cast<int>(std::lround(h * s)));
    r.width = std::min(r.width, box.width);
    r.height = std::min(r.height, box.height);
    r.left = box.left + (box.width - r.width) / 2;
    r.top = box.top + (box.height - r.height) / 2;
    return r;
}

namespace {

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

}  // namespace

ScaleBarSpec MakeScaleBar(double metresPerUnit, int maxLength) {
    ScaleBarSpec s;
    if (!(metresPerUnit > 0) || !std::isfinite(metresPerUnit) || maxLength <= 0) return s;
    const double most = metresPerUnit * maxLength;
    double power = std::pow(10.0, std::floor(std::log10(most)));
    double ground = 0;
    int lead = 1;
    for (int k = 0; k < 2 && ground == 0; ++k, power /= 10)
        for (int n : {5, 2, 1})
            if (n * power <= most * (1 + 1e-12)) {
                ground = n * power;
                lead = n;
                break;
            }
    if (ground <= 0) return s;
    s.groundMetres = ground;
    s.lengthUnits = static_cast<int>(std::lround(ground / metresPerUnit));
    if (s.lengthUnits <= 0) return s;
    s.segments = lead == 2 ? 4 : 5;
    s.label = ground >= 1000 ? Number(ground / 1000) + " km" : Number(ground) + " m";
    s.ok = true;
    return s;
}

double MetresPerMapUnit(long unit, double lat) {
    constexpr double kEarthRadius = 6371000.0;
    constexpr double kPi = 3.14159265358979323846;
    const double c = std::cos(lat * kPi / 180.0);
    switch (unit) {
        case 0: return kEarthRadius * c;
        case 1: return 1200.0 / 3937.0;
        case 2: return 1.0;
        case 3: return kEarthRadius * kPi / 180.0 / 3600.0 * c;
        case 4: return kEarthRadius * kPi / 180.0 * c;
        case 5: return 0.3048;
        default: return 0;
    }
}

}  // namespace zemba
