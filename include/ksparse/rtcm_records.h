// Records filled by the RTCM 3 decoder Em_TrsMtPrlRTCM: datum transformation
// parameters (messages 1021, 1022), residual grids (1023, 1024), projection
// parameters (1027) and the caller's observation list (1004).
//
// All records are packed (no gaps) and little-endian; sizes and offsets are
// checked below.
#pragma once

#include <cstddef>
#include <cstdint>

#include <ksparse/nav_records.h>

namespace Kestrel {
namespace KsParse {

#pragma pack(push, 1)

// Helmert / Molodensky(-Badekas) datum transformation (1021, 1022).
struct trancood_t {
  double lat0;      // latitude of the origin of the area of validity, degrees
  double lon0;      // longitude of the origin, degrees
  double ext_ns;    // north-south extension of the area, degrees
  double ext_ew;    // east-west extension of the area, degrees
  double dx;        // translation, metres
  double dy;
  double dz;
  double r1;        // rotations, arc-seconds
  double r2;
  double r3;
  double ds;        // scale correction, parts per million
  double src_a;     // source ellipsoid semi-major axis, metres
  double src_b;     // source ellipsoid semi-minor axis, metres
  double tgt_a;     // target ellipsoid semi-major axis, metres
  double tgt_b;     // target ellipsoid semi-minor axis, metres
  double xp;        // rotation point, metres (1022 only)
  double yp;
  double zp;
};

constexpr unsigned kResidualGridPoints = 16;

// Residual grid (1023 ellipsoidal, 1024 plane). The first and second
// directions are latitude and longitude in arc-seconds for 1023, northing and
// easting in metres for 1024.
struct geoid_mdel_para {
  double origin1;           // origin, first coordinate
  double origin2;           // origin, second coordinate
  double spacing1;          // grid spacing, first direction
  double spacing2;          // grid spacing, second direction
  double mean1;             // mean residual, first direction
  double mean2;             // mean residual, second direction
  double mean_height;       // mean height residual, metres
  // Per point: first-direction, second-direction and height value, each the
  // mean plus the point's own residual.
  double grid[kResidualGridPoints][3];
  std::uint8_t horizontal_method;   // horizontal interpolation method
  std::uint8_t vertical_method;     // vertical interpolation method
  std::uint8_t horizontal_quality;  // horizontal grid quality indicator
  std::uint8_t vertical_quality;    // vertical grid quality indicator
  std::uint8_t reserved[4];         // keeps the day number 8-byte aligned
  double mjd;                       // modified Julian day number
};

// Oblique Mercator projection (1027).
struct projection_param {
  double lat_centre;        // latitude of the projection centre, degrees
  double lon_centre;        // longitude of the projection centre, degrees
  double azimuth;           // azimuth of the initial line, degrees
  double scale;             // scale factor on the initial line, parts per million
  double easting;           // easting at the projection centre, metres
  double northing;          // northing at the projection centre, metres
  double skew_angle;        // angle from rectified to skew grid, degrees
  double unused[2];         // not written by the decoder
  std::uint8_t rectified;   // rectification flag, 0 or 1
};

// The caller's observation list for message 1004. The decoder fills data[0],
// data[1], ... in the order of the decodable satellite blocks and never writes
// past data[nmax - 1]; it leaves n to the caller.
struct obs_t {
  std::uint32_t n;          // records the caller counts as filled
  std::uint32_t nmax;       // capacity of the array at data
  em_obsd_t* data;          // not owned
};

#pragma pack(pop)

static_assert(sizeof(trancood_t) == 18 * 8, "trancood_t is 18 doubles");
static_assert(offsetof(trancood_t, dx) == 32 && offsetof(trancood_t, r1) == 56 &&
                  offsetof(trancood_t, ds) == 80 && offsetof(trancood_t, src_a) == 88 &&
                  offsetof(trancood_t, tgt_b) == 112 && offsetof(trancood_t, xp) == 120 &&
                  offsetof(trancood_t, zp) == 136,
              "trancood_t offsets");
static_assert(sizeof(geoid_mdel_para) == 456, "geoid_mdel_para is 456 bytes");
static_assert(offsetof(geoid_mdel_para, mean_height) == 48 && offsetof(geoid_mdel_para, grid) == 56 &&
                  offsetof(geoid_mdel_para, horizontal_method) == 440 &&
                  offsetof(geoid_mdel_para, vertical_quality) == 443 &&
                  offsetof(geoid_mdel_para, mjd) == 448,
              "geoid_mdel_para offsets");
static_assert(sizeof(projection_param) == 73, "projection_param is nine doubles and one byte");
static_assert(offsetof(projection_param, skew_angle) == 48 && offsetof(projection_param, unused) == 56 &&
                  offsetof(projection_param, rectified) == 72,
              "projection_param offsets");
static_assert(offsetof(obs_t, nmax) == 4 && offsetof(obs_t, data) == 8 &&
                  sizeof(obs_t) == 8 + sizeof(em_obsd_t*),
              "obs_t layout");

}  // namespace KsParse
}  // namespace Kestrel
