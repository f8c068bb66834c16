#include <gtest/gtest.h>

#include <cmath>

#include "mapping/datum.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

constexpr double kD2R = M_PI / 180.0;

// Metres between two nearby geographic points (degrees).
double Metres(double lon1, double lat1, double lon2, double lat2) {
    const double dy = (lat2 - lat1) * kD2R * 6371000.0;
    const double dx = (lon2 - lon1) * kD2R * 6371000.0 * std::cos(lat1 * kD2R);
    return std::hypot(dx, dy);
}

const double kPoints[][2] = {{-80, 35}, {-122.4, 47.6}, {-70.2, 18.4}, {151.2, -33.9}, {2.35, 48.85}, {30, -60}};

TEST(Datum, MolodenskyStepAgreesWithProj) {
    if (!test::HaveTool("cct")) GTEST_SKIP() << "PROJ's cct is not installed";
    // NAD27 to WGS 84 on Clarke 1866, and WGS 84 to Tokyo with the shifts negated.
    struct Case {
        int datum;
        bool toWgs84;
    } cases[] = {{13, true}, {21, false}, {17, true}, {3, false}};
    for (const Case& c : cases) {
        const DatumParameters& d = DatumTable()[c.datum];
        const EllipsoidParameters* e = nullptr;
        for (int k = 0; k < kEllipsoidRows; ++k)
            if (EllipsoidTable()[k].Name == d.Ellipsoid) e = &EllipsoidTable()[k];
        ASSERT_TRUE(e);
        char cmd[512];
        const double s = c.toWgs84 ? 1 : -1;
        const double a = c.toWgs84 ? kWgs84A - e->DeltaA : kWgs84A;
        const double f = c.toWgs84 ? kWgs84F - e->DeltaF : kWgs84F;
        std::snprintf(cmd, sizeof cmd,
                      "cct -d 12 +proj=molodensky +a=%.12g +rf=%.15g +dx=%.12g +dy=%.12g +dz=%.12g +da=%.12g +df=%.15g",
                      a, 1.0 / f, s * d.DeltaX, s * d.DeltaY, s * d.DeltaZ, s * e->DeltaA, s * e->DeltaF);
        std::string input;
        for (auto& p : kPoints) input += std::to_string(p[0]) + " " + std::to_string(p[1]) + " 0\n";
        auto ref = test::Numbers(test::RunWithInput(cmd, input));
        ASSERT_EQ(ref.size(), std::size(kPoints)) << cmd;
        for (std::size_t k = 0; k < ref.size(); ++k) {
            double phi = kPoints[k][1] * kD2R, lam = kPoints[k][0] * kD2R, h = 0;
            ASSERT_TRUE(c.toWgs84 ? DatumToWgs84(c.datum, phi, lam, h) : Wgs84ToDatum(c.datum, phi, lam, h));
            EXPECT_LT(Metres(lam / kD2R, phi / kD2R, ref[k][0], ref[k][1]), 0.001) << d.Name << " point " << k;
            EXPECT_NEAR(h, ref[k][2], 0.001) << d.Name << " point " << k;
        }
    }
}

TEST(Datum, CorrectedShiftSignsAgreeWithEpsgTransformations) {
    if (!test::HaveTool("cs2cs")) GTEST_SKIP() << "PROJ's cs2cs is not installed";
    // Datum index, EPSG source CRS, a point inside its area.
    struct Case {
        int datum;
        const char* crs;
        double lon, lat;
    } cases[] = {{3, "+proj=longlat +ellps=aust_SA +towgs84=-133,-48,148", 145, -30},
                 {0, "+proj=longlat +ellps=clrk80 +towgs84=-162,-12,206", 35, 15},
                 {22, "+proj=longlat +ellps=WGS72 +towgs84=0,0,4.5", 10, 45}};
    for (const Case& c : cases) {
        auto ref = test::Numbers(test::RunWithInput(
            std::string("cs2cs -f %.10f ") + c.crs + " +to +proj=longlat +datum=WGS84",
            std::to_string(c.lon) + " " + std::to_string(c.lat) + "\n"));
        ASSERT_EQ(ref.size(), 1u);
        double lon = c.lon * kD2R, lat = c.lat * kD2R;
        ASSERT_TRUE(DatumShift(c.datum, kDatumWgs84, lon, lat));
        // Molodensky against a geocentric translation: well under a metre;
        // a wrong sign would be hundreds of metres off.
        EXPECT_LT(Metres(lon / kD2R, lat / kD2R, ref[0][0], ref[0][1]), 1.0) << DatumListName(c.datum);
    }
}

TEST(Datum, ShiftStepsAndTheirLimits) {
    // WGS 84 to NAD27 runs only the second step.
    double lon = -80 * kD2R, lat = 35 * kD2R;
    double phi = lat, lam = lon, h = 0;
    ASSERT_TRUE(Wgs84ToDatum(13, phi, lam, h));
    ASSERT_TRUE(DatumShift(kDatumWgs84, 13, lon, lat));
    EXPECT_EQ(lon, lam);
    EXPECT_EQ(lat, phi);
    // NAD83 to WGS 84 moves well under a millimetre.
    lon = -80 * kD2R, lat = 35 * kD2R;
    ASSERT_TRUE(DatumShift(14, kDatumWgs84, lon, lat));
    EXPECT_LT(Metres(-80, 35, lon / kD2R, lat / kD2R), 0.001);

    // Datums without a row: no shift and one report line, whatever the index.
    for (int bad : {24, 25, -1, 26, 1000}) {
        std::vector<std::string> lines;
        lon = 1, lat = 0.5;
        EXPECT_TRUE(DatumShift(13, bad, lon, lat, [&](const std::string& s) { lines.push_back(s); }));
        EXPECT_EQ(lon, 1);
        EXPECT_EQ(lat, 0.5);
        EXPECT_EQ(lines.size(), 1u) << bad;
    }
    std::vector<std::string> lines;
    double p = 0, l = 0, hh = 0;
    EXPECT_FALSE(DatumToWgs84(30, p, l, hh, [&](const std::string& s) { lines.push_back(s); }));
    EXPECT_EQ(lines, (std::vector<std::string>{"Datum Conversion", "FATAL ERROR: 6"}));

    // At a pole the step keeps the longitude and nothing becomes infinite.
    double pp = M_PI / 2, pl = 0.3, ph = 0;
    MolodenskyStep(kWgs84A, kWgs84F, -8, 160, 176, -69.4, -3.7e-5, pp, pl, ph);
    EXPECT_EQ(pl, 0.3);
    EXPECT_TRUE(std::isfinite(pp) && std::isfinite(ph));
    lon = 0.3, lat = -M_PI / 2;
    ASSERT_TRUE(DatumShift(13, 7, lon, lat));
    EXPECT_TRUE(std::isfinite(lon) && std::isfinite(lat));
}

TEST(Datum, DatumsNameTheirSpheroid) {
    EXPECT_EQ(DatumSpheroid(13), 0);   // NAD27, Clarke 1866
    EXPECT_EQ(DatumSpheroid(14), 8);   // NAD83, GRS 1980
    EXPECT_EQ(DatumSpheroid(23), 12);  // WGS 84
    EXPECT_EQ(DatumSpheroid(7), 4);    // ED50: a = 6378388 m
    EXPECT_EQ(DatumSpheroid(24), -1);
    EXPECT_STREQ(DatumListName(25), "NO_DATUM-2");
}

}  // namespace
}  // namespace zemba
