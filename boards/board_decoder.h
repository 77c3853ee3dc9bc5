// The frame decoder of a board adapter and the store of everything decoded
// from the board: position, precision, DOP, time, satellite tables,
// observations, ephemerides and the board's replies. The engine's getters and
// the Em_Gnss queries read it; the board decoders and the shared NMEA
// handlers write it.
#pragma once

#include <cstdint>

#include <ksparse/nav_records.h>

#include "boards/diff_stream.h"

namespace Kestrel {
namespace KsParse {

class NmeaSentence;

// Change bits raised in msg_flags, reported to the application with kind 1.
namespace MsgBit {
constexpr std::uint32_t kGgaText = 0x1000;
constexpr std::uint32_t kRmc = 0x2000;
constexpr std::uint32_t kDiffData = 0x4000;
constexpr std::uint32_t kNmeaPosition = 0x20000;
constexpr std::uint32_t kObservations = 0x40000;
constexpr std::uint32_t kEphemeris = 0x80000;
constexpr std::uint32_t kGlonassSats = 0x100000;
constexpr std::uint32_t kBeidouSats = 0x200000;
constexpr std::uint32_t kFourthSats = 0x400000;
constexpr std::uint32_t kGstSeen = 0x800000;
constexpr std::uint32_t kRmcSeen = 0x1000000;
constexpr std::uint32_t kBaseInfo = 0x2000000;
constexpr std::uint32_t kElevMask = 0x4000000;
constexpr std::uint32_t kGpsSats = 0x8000000;
constexpr std::uint32_t kPosition = 0x10000000;
constexpr std::uint32_t kSolution = 0x20000000;
constexpr std::uint32_t kDop = 0x80000000;
}  // namespace MsgBit

// Bits of nmea_seen: which sentences the current epoch has brought.
namespace NmeaSeen {
constexpr std::uint32_t kGgaAfterRmc = 0x1;
constexpr std::uint32_t kRmc = 0x2;
constexpr std::uint32_t kGst = 0x4;
}  // namespace NmeaSeen

// Sentence codes shared with the rest of the system.
namespace NmeaCode {
constexpr int kUnknown = -1;
constexpr int kGpGga = 25;
constexpr int kGpGsa = 29;
constexpr int kGpGst = 30;
constexpr int kGpGsv = 31;
constexpr int kGpRmc = 33;
constexpr int kGpZda = 35;
constexpr int kGlGsv = 44;
constexpr int kGnGga = 51;
constexpr int kGnGll = 52;
constexpr int kGnGsa = 55;
constexpr int kGnRmc = 59;
constexpr int kBdGsv = 128;
}  // namespace NmeaCode

// One satellite table: 32 records and the number in use.
struct SatTable {
  static constexpr std::uint32_t kCapacity = 32;
  SATLLITE_STR sats[kCapacity];
  std::uint32_t count;
};

enum SatTableIndex : unsigned { kTableGps = 0, kTableGlonass = 1, kTableBeidou = 2, kTableSbas = 3, kTableFifth = 4 };

// GLONASS broadcast ephemeris, as far as the board decoders fill it.
struct GloEphemeris {
  std::int32_t sat;
  std::int32_t iode;
  std::int32_t frq;
  std::int32_t svh;
  std::int32_t sva;
  std::int32_t age;
  em_gtime_t toe;
  em_gtime_t tof;
  double pos[3];
  double vel[3];
  double acc[3];
  double taun;
  double gamn;
  double dtaun;
};

// SBAS broadcast ephemeris.
struct SbasEphemeris {
  std::int32_t sat;
  std::int32_t sva;
  std::int32_t svh;
  em_gtime_t t0;
  em_gtime_t tof;
  double pos[3];
  double vel[3];
  double acc[3];
  double af0;
  double af1;
};

// Every member of a decoder has its initial value where it is declared (the
// navigation tables are set by the constructor), so decoders are created
// with `new Decoder` rather than `new Decoder()`: the latter would first zero
// the whole object, about 150 KB, once more at every engine start.
class BoardDecoder {
 public:
  static constexpr unsigned kEphemerisCount = 220;
  static constexpr unsigned kGloEphemerisCount = 48;
  static constexpr unsigned kSbasEphemerisCount = 38;
  static constexpr unsigned kObsCapacity = 64;
  static constexpr unsigned kGgaTextSize = 2048;
  static constexpr unsigned kTextReplySize = 260;

  BoardDecoder();
  virtual ~BoardDecoder();
  BoardDecoder(const BoardDecoder&) = delete;
  BoardDecoder& operator=(const BoardDecoder&) = delete;

  // 1: the board's own frames (binary logs, replies).
  virtual bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) = 0;
  // 2: NMEA dispatch by sentence code.
  virtual bool DecodeSentence(int code, const char* text, unsigned int length);
  virtual void OnGga(const NmeaSentence& s);                     // 3
  virtual void SetSolutionCode(const char* field);               // 4
  virtual void OnGpsGsv(const NmeaSentence& s);                  // 5
  virtual void OnGlonassGsv(const NmeaSentence& s);              // 6
  virtual void OnBeidouGsv(const NmeaSentence& s);               // 7
  virtual void OnGst(const NmeaSentence& s);                     // 8
  virtual void OnRmc(const NmeaSentence& s);                     // 9
  void OnGsa(const NmeaSentence& s);
  void OnZda(const NmeaSentence& s);
  // The two halves of OnGga around its epoch bookkeeping, for decoders that
  // keep their own: the fields (time, position, solution code, satellites,
  // height, age), and the sentence kept as the last GGA text (0x1000).
  void ReadGgaFields(const NmeaSentence& s);
  void KeepGgaText(const NmeaSentence& s);
  // The calendar fields (year to second, hour shifted by time_zone) of a GPS
  // week and seconds of week.
  void SetCalendarFromGps(std::uint32_t gps_week, double seconds);

  // Differential frames: keep them in `diff` and report whether the
  // protocol decoder recognised them (then msg_flags gets 0x4000).
  bool HandleRtcm3(unsigned int id, const unsigned char* data, unsigned int length);
  bool HandleCmr(unsigned int id, const unsigned char* data, unsigned int length);

  // Stores an ephemeris in its slot unless the slot already holds the same
  // issue; returns whether it was stored. Satellites outside the table are
  // refused.
  bool StoreEphemeris(const em_eph_t& eph);

  SatTable& Table(unsigned index) { return tables[index]; }

 private:
  bool HandleDiff(std::uint8_t kind, unsigned int id, const unsigned char* data, unsigned int length);

 public:

  // ---- sentence and satellite-group bookkeeping
  std::uint8_t sentence_hold = 0;  // written by the engine factories
  std::uint32_t nmea_seen = 0;
  std::uint8_t gps_sat_hold = 0;
  std::uint32_t gps_sat_bits = 0;
  std::uint8_t glo_sat_hold = 0;
  std::uint32_t glo_sat_bits = 0;
  std::uint8_t bds_sat_hold = 0;
  std::uint32_t bds_sat_bits = 0;
  std::uint8_t parse_nmea = 0;
  std::uint8_t sat_detail = 0;
  DiffStream* diff = nullptr;

  // ---- satellite tables (GPS, GLONASS, BeiDou, SBAS, fifth)
  SatTable tables[5] = {};
  std::uint32_t used_prn[12] = {};
  std::uint32_t sats_used = 0;         // GGA satellite count
  std::uint32_t sats_tracked = 0;      // first count of Get_Gnss_SatUse
  std::uint32_t sats_in_solution = 0;  // second count of Get_Gnss_SatUse
  std::int32_t sat_system_count = 0;   // Get_Gnss_SatTypeNum
  std::uint32_t solutions = 0;         // GetInfo_Gnss_Solutions

  // ---- replies and pass-through
  PASSCOMCHAR pass_com = {};
  unsigned char text_reply[kTextReplySize] = {};
  std::uint32_t text_reply_length = 0;
  TRSMT_INFO trsmt_info = {};

  // ---- navigation store
  // The exported records are packed; the tables start on an 8-byte boundary
  // so that their doubles are naturally aligned (record sizes are multiples of 8).
  alignas(8) em_eph_t eph[kEphemerisCount];
  GloEphemeris glo_eph[kGloEphemerisCount];
  SbasEphemeris sbas_eph[kSbasEphemerisCount];
  std::int32_t last_eph_sat = 0;  // satellite of the last decoded ephemeris

  // ---- observations (the decoders' work area)
  alignas(8) em_obsd_t obs[kObsCapacity] = {};
  std::uint32_t obs_capacity = kObsCapacity;
  std::uint32_t obs_count = 0;

  // ---- what the last frame changed, and solution status
  std::uint32_t msg_flags = 0;
  std::uint32_t elev_mask_reported = 0;
  std::uint32_t solution_code = 0;

  // ---- position and precision
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  double height = 0;     // metres, ellipsoidal
  double diff_age = -1.0;
  double rms = 0;
  double sigma_lat = 0;
  double sigma_lon = 0;
  double sigma_vertical = 0;
  double sigma_horizontal = 0;

  // ---- DOP (GSA and board logs)
  double pdop = 0;
  double hdop = 0;
  double vdop = 0;
  double tdop = 0;
  double gdop = 0;
  std::uint32_t fix_mode = 0;
  std::uint32_t fix_type = 0;

  // ---- motion (RMC)
  double speed_knots = 0;
  double course = 0;  // radians

  // ---- time (hour already shifted by time_zone, not wrapped)
  std::uint32_t year = 0;
  std::uint32_t month = 0;
  std::uint32_t day = 0;
  std::uint32_t hour = 0;
  std::uint32_t minute = 0;
  double second = 0;
  std::int32_t time_zone = 0;
  std::uint32_t week = 0;
  double week_seconds = 0;
  std::uint32_t status_word = 0;  // Hemisphere second generation only
  std::uint16_t extra_word = 0;

  // ---- base station (earth-centred, metres)
  BASEINFO base_info = {};

  // ---- last GGA sentence as received
  unsigned char gga_text[kGgaTextSize] = {};
  std::uint32_t gga_length = 0;
};

}  // namespace KsParse
}  // namespace Kestrel
