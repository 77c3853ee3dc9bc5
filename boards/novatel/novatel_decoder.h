// The NovAtel decoder: binary logs (position, DOP, base station,
// observations, ephemerides) into the shared store, the NovAtel versions of
// the GSV handlers, and the merge of observed signal strengths into the
// satellite tables.
#pragma once

#include <cstdint>

#include "boards/board_decoder.h"

namespace Kestrel {
namespace KsParse {

class NovAtelDecoder : public BoardDecoder {
 public:
  static constexpr unsigned kVersionSize = 108;
  static constexpr unsigned kBestPosSize = 72;
  static constexpr unsigned kPsrDopSize = 28;
  static constexpr unsigned kRefStationSize = 28 + 41;
  static constexpr unsigned kBestXyzSize = 140;
  static constexpr unsigned kLog726Size = 108;
  // Satellite numbers as stored in observations fit one byte.
  static constexpr unsigned kSatSlots = 256;

  // `data` is a whole frame (header, body, CRC) of `length` bytes whose CRC
  // has been checked. False when the frame is not consistent with its own
  // header or a log is too short for what it announces.
  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;

  void OnGpsGsv(const NmeaSentence& s) override;
  void OnBeidouGsv(const NmeaSentence& s) override;
  // GLONASS GSV: the shared handler.

  // ---- what the last logs left (kept as received)
  unsigned char last_header[28] = {};
  unsigned char version_info[kVersionSize] = {};
  unsigned char bestpos_body[kBestPosSize] = {};
  unsigned char psrdop_body[kPsrDopSize] = {};
  unsigned char refstation_raw[kRefStationSize] = {};
  unsigned char bestxyz_raw[kBestXyzSize] = {};
  unsigned char log726_raw[kLog726Size] = {};
  // Signals used in the last position: 0x10000000 GPS L1, 0x20000000 GPS
  // L2, 0x40000000 GPS L5, 0x80000000 GLONASS L1, 0x1000000 GLONASS L2.
  std::uint32_t signals_used = 0;

  // ---- slip detection across observation epochs
  bool have_prev_epoch = false;
  em_gtime_t prev_obs_time = {};
  double prev_lock_time[kSatSlots][2] = {};
  std::uint8_t prev_half_cycle[kSatSlots][2] = {};

  // ---- GPS GSV group in progress: a table is emptied when the group's
  // first satellite for it arrives.
  bool gsv_gps_pending = false;
  bool gsv_sbas_pending = false;

 private:
  void DecodeBestPos(const unsigned char* header, const unsigned char* body, unsigned size);
  bool DecodePsrDop(const unsigned char* body, unsigned size);
  bool DecodeRefStation(const unsigned char* frame, unsigned size);
  bool DecodeRange(const unsigned char* header, const unsigned char* body, unsigned size);
  bool DecodeRangeCmp(const unsigned char* header, const unsigned char* body, unsigned size);
  bool DecodeGpsEphem(const unsigned char* body, unsigned size);
  bool DecodeRawEphem(const unsigned char* body, unsigned size);
  // The observation of satellite `sat`, appended (zeroed, at `time`) when
  // missing; null when the list is full.
  em_obsd_t* ObservationOf(std::uint8_t sat, const em_gtime_t& time);
  // Copies observed signal strengths into the satellite tables whose GSV
  // group is complete and held for this purpose.
  void MergeSignalStrengths();
};

}  // namespace KsParse
}  // namespace Kestrel
