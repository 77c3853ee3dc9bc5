// Navigation records handed to the application by the Em_Gnss queries, and
// the base and rover settings records that it reads and writes.
//
// All records are packed (no gaps) and little-endian; sizes and the offsets
// that applications rely on are checked below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrel {
namespace KsParse {

#pragma pack(push, 1)

// Position, solution and time of the last fix.
struct POS_INFO {
  double latitude;              // radians, south negative
  double longitude;             // radians, west negative
  double height;                // metres, ellipsoidal
  std::uint32_t solution;       // solution code
  double diff_age;              // seconds; -1.0 when unknown
  std::int32_t year;            // four digits
  std::int32_t month;
  std::int32_t day;
  std::int32_t hour;            // already shifted by the time zone, not wrapped
  std::int32_t minute;
  double second;
  std::uint32_t status_word;    // set by the Hemisphere second-generation decoder only
  std::uint16_t extra_word;     // the decoder's 16-bit word
  double hprec;                 // horizontal precision, metres
  double vprec;                 // vertical precision, metres
  double rms;                   // range RMS, metres
};

// Date and time of the last fix (the hour includes the time zone).
struct Time_Str {
  std::int32_t year;
  std::int32_t month;
  std::int32_t day;
  std::int32_t hour;
  std::int32_t minute;
  double second;
};

// One satellite of a satellite table.
struct SATLLITE_STR {
  std::int32_t prn;        // satellite number
  std::int32_t elevation;  // degrees
  std::uint16_t azimuth;   // degrees
  float snr;               // dB-Hz, first frequency
  float snr2;              // dB-Hz, second frequency
  std::uint32_t extra;     // filled by some board decoders, else 0
  // NMEA boards: 1 when the satellite is usable (elevation > 13, snr > 30,
  // azimuth > 0), else 0. Other boards: low byte signal code, bit 15 used in
  // the solution, bit 30 flagged by the receiver.
  std::uint32_t status;
};

struct SAT_USE {
  std::uint32_t first;   // satellites used (raised to `second` when smaller)
  std::uint32_t second;
};

struct Dops {
  double pdop;
  double hdop;
  double vdop;
  double tdop;
  double gdop;
};

struct Precisions {
  double hprec;  // horizontal, metres
  double vprec;  // vertical, metres
  double rms;    // range RMS, metres
};

// Base station position, earth-centred (metres).
struct BASEINFO {
  double x;
  double y;
  double z;
};

// Transmission information record of the board decoders.
struct TRSMT_INFO {
  unsigned char data[2060];
};

// Firmware debug record of the legacy receivers: payload and its length.
struct FIRMWARE_DEBUG {
  unsigned char data[200];
  std::uint32_t length;
};

// Pass-through port record of the board decoders.
struct PASSCOMCHAR {
  unsigned char data[84];
};

// The library's GNSS time value: whole seconds of a calendar conversion and
// the fraction of a second.
struct em_gtime_t {
  std::int64_t time;
  double sec;
};

// One GPS (or BeiDou) broadcast ephemeris.
struct em_eph_t {
  std::int32_t sat;
  std::int32_t iode;
  std::int32_t iodc;
  std::int32_t sva;    // URA index
  std::int32_t svh;    // health
  std::int32_t week;
  std::int32_t code;   // L2 code
  std::int32_t flag;   // L2 P data flag
  em_gtime_t toe;      // ephemeris reference time
  em_gtime_t toc;      // clock reference time
  em_gtime_t ttr;      // transmission time
  double A;            // semi-major axis, m
  double e;
  double i0;
  double OMG0;
  double omg;
  double M0;
  double deln;
  double OMGd;
  double idot;
  double crc;
  double crs;
  double cuc;
  double cus;
  double cic;
  double cis;
  double toes;         // toe, seconds of week
  double fit;          // fit interval indicator
  double f0;           // clock bias, s
  double f1;           // clock drift, s/s
  double f2;           // clock drift rate, s/s^2
  double tgd[4];       // group delays, s
};

// One satellite's observations of one epoch. Index 0 is the first frequency.
struct em_obsd_t {
  std::int64_t time;        // whole seconds (calendar conversion)
  double sec;               // fraction of a second
  std::uint8_t sat;         // satellite number
  std::uint8_t rcv;         // receiver, 0
  std::uint8_t snr[2];      // signal strength (units of the decoder that filled it)
  std::uint8_t lli[2];      // loss-of-lock bits
  std::uint8_t code[2];     // signal code
  double l[2];              // carrier phase, cycles
  double p[2];              // pseudorange, metres
  float d[2];               // Doppler, Hz
};

constexpr unsigned kObsRecordsPerQuery = 118;

// Observation list handed out by Get_Gnss_Obs_t.
struct em_obs_t {
  std::uint32_t n;         // records filled
  std::uint32_t reserved;
  em_obsd_t data[kObsRecordsPerQuery];
};

// Base station settings (exchanged as 60 raw bytes).
struct Base_Config {
  std::uint32_t station_id = 1;
  char name[10] = {'b', 'a', 's', 'e', 0, 0, 0, 0, 0, 0};
  std::uint32_t obs_interval_s = 1;     // differential observation interval, s
  std::uint32_t port = 1;               // board port, 0-based (commands print port + 1)
  std::uint32_t baud = 38400;
  std::uint32_t diff_format = 3;        // 3 CMR, 4 RTCM 2, 5 RTCA, 6 CMR+, 7 RTCM 3, ...
  double latitude = 0.5441037837884196;  // radians
  double longitude = 2.1187988500159314; // radians
  double height = 37.51200038008392;     // metres, ellipsoidal
  std::uint8_t elev_mask = 10;          // degrees
  std::uint8_t aux_mask = 95;
  std::uint32_t output_route = 0;       // software receiver: 0 serial, 1 network, 2 both
};

// Rover settings (exchanged as 36 raw bytes).
struct Rover_Config {
  std::uint8_t elev_mask = 5;           // degrees
  std::uint8_t aux_mask = 95;
  char ref_station[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::uint32_t reserved = 1;
  std::uint32_t diff_format = 3;
  std::uint32_t port = 1;               // board port on which corrections arrive, 0-based
  std::uint32_t baud = 9600;
  std::uint32_t iono = 0;               // 0 quiet, 1 normal, 2 disturbed
  std::uint32_t diff_source = 2;        // Hemisphere: 0 RTK, 1 SBAS, 2 beacon
};

#pragma pack(pop)

static_assert(sizeof(POS_INFO) == 94, "POS_INFO layout");
static_assert(offsetof(POS_INFO, solution) == 24 && offsetof(POS_INFO, diff_age) == 28 &&
                  offsetof(POS_INFO, year) == 36 && offsetof(POS_INFO, second) == 56 &&
                  offsetof(POS_INFO, status_word) == 64 && offsetof(POS_INFO, extra_word) == 68 &&
                  offsetof(POS_INFO, hprec) == 70,
              "POS_INFO offsets");
static_assert(sizeof(Time_Str) == 28 && offsetof(Time_Str, second) == 20, "Time_Str layout");
static_assert(sizeof(SATLLITE_STR) == 26, "SATLLITE_STR is 26 bytes");
static_assert(offsetof(SATLLITE_STR, azimuth) == 8 && offsetof(SATLLITE_STR, snr) == 10 &&
                  offsetof(SATLLITE_STR, snr2) == 14 && offsetof(SATLLITE_STR, status) == 22,
              "SATLLITE_STR offsets");
static_assert(sizeof(SAT_USE) == 8, "SAT_USE layout");
static_assert(sizeof(Dops) == 40, "Dops layout");
static_assert(sizeof(Precisions) == 24, "Precisions layout");
static_assert(sizeof(BASEINFO) == 24, "BASEINFO is 24 bytes");
static_assert(sizeof(TRSMT_INFO) == 2060, "TRSMT_INFO is 2060 bytes");
static_assert(sizeof(FIRMWARE_DEBUG) == 204, "FIRMWARE_DEBUG is 204 bytes");
static_assert(sizeof(PASSCOMCHAR) == 84, "PASSCOMCHAR is 84 bytes");
static_assert(sizeof(em_gtime_t) == 16, "time value layout");
static_assert(sizeof(em_eph_t) == 272, "em_eph_t is 272 bytes");
static_assert(offsetof(em_eph_t, toe) == 32 && offsetof(em_eph_t, A) == 80 &&
                  offsetof(em_eph_t, crc) == 152 && offsetof(em_eph_t, toes) == 200 &&
                  offsetof(em_eph_t, f0) == 216 && offsetof(em_eph_t, tgd) == 240,
              "em_eph_t offsets");
static_assert(sizeof(em_obsd_t) == 64, "em_obsd_t is 64 bytes");
static_assert(offsetof(em_obsd_t, time) == 0 && offsetof(em_obsd_t, sec) == 8 &&
                  offsetof(em_obsd_t, sat) == 16 && offsetof(em_obsd_t, rcv) == 17 &&
                  offsetof(em_obsd_t, snr) == 18 &&
                  offsetof(em_obsd_t, lli) == 20 && offsetof(em_obsd_t, code) == 22 &&
                  offsetof(em_obsd_t, l) == 24 && offsetof(em_obsd_t, p) == 40 &&
                  offsetof(em_obsd_t, d) == 56,
              "em_obsd_t offsets");
static_assert(sizeof(em_obs_t) == 8 + 118 * 64, "em_obs_t layout");
static_assert(offsetof(em_obs_t, n) == 0 && offsetof(em_obs_t, reserved) == 4 &&
                  offsetof(em_obs_t, data) == 8,
              "em_obs_t offsets");
static_assert(sizeof(Base_Config) == 60, "Base_Config is 60 bytes");
static_assert(offsetof(Base_Config, name) == 4 && offsetof(Base_Config, obs_interval_s) == 14 &&
                  offsetof(Base_Config, port) == 18 && offsetof(Base_Config, baud) == 22 &&
                  offsetof(Base_Config, diff_format) == 26 && offsetof(Base_Config, latitude) == 30 &&
                  offsetof(Base_Config, longitude) == 38 && offsetof(Base_Config, height) == 46 &&
                  offsetof(Base_Config, elev_mask) == 54 && offsetof(Base_Config, aux_mask) == 55 &&
                  offsetof(Base_Config, output_route) == 56,
              "Base_Config offsets");
static_assert(sizeof(Rover_Config) == 36, "Rover_Config is 36 bytes");
static_assert(offsetof(Rover_Config, ref_station) == 2 && offsetof(Rover_Config, reserved) == 12 &&
                  offsetof(Rover_Config, diff_format) == 16 && offsetof(Rover_Config, port) == 20 &&
                  offsetof(Rover_Config, baud) == 24 && offsetof(Rover_Config, iono) == 28 &&
                  offsetof(Rover_Config, diff_source) == 32,
              "Rover_Config offsets");

}  // namespace KsParse
}  // namespace Kestrel
