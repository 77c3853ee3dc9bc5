// The Trimble decoder: data-collector packets (GSOF position, precision and
// satellite records, the elevation-mask reply and the other replies) into
// the shared store, and the board's own NMEA dispatch and GSV handling.
#pragma once

#include <cstdint>

#include "boards/board_decoder.h"

namespace Kestrel {
namespace KsParse {

class TrimbleDecoder : public BoardDecoder {
 public:
  static constexpr unsigned kGsofCapacity = 1000;
  static constexpr unsigned kReply0709Size = 21;
  static constexpr unsigned kElevMaskReplySize = 49;

  TrimbleDecoder();

  // `data` is a whole packet (STX to ETX) of `length` bytes whose checksum
  // has been checked; `type` its packet type. False for types this board's
  // decoder does not accept and for packets shorter than their length byte
  // announces.
  bool DecodeMessage(const unsigned char* data, unsigned int type, unsigned int length) override;
  bool DecodeSentence(int code, const char* text, unsigned int length) override;
  // GPS and GLONASS GSV alike: the first satellite's number picks the table.
  void OnGpsGsv(const NmeaSentence& s) override;

  // ---- the last packet
  std::uint32_t last_type = 0;
  std::uint32_t last_length = 0;

  // ---- GSOF message being reassembled from its pages
  struct Reassembly {
    std::uint32_t used;   // bytes held
    std::uint32_t pages;  // pages before the last that have arrived
    unsigned char data[kGsofCapacity];
  } gsof = {};

  // ---- raw copies of the last GSOF records handled
  unsigned char gsof_time[10] = {};
  unsigned char gsof_llh[24] = {};
  unsigned char gsof_ecef[24] = {};
  unsigned char gsof_delta[24] = {};
  unsigned char gsof_dop[16] = {};
  unsigned char gsof_sigma[38] = {};
  bool delta_received = false;

  // ---- replies kept as received: the first 21 bytes of a 0x07 or 0x09
  // packet; the 49 data bytes of the elevation-mask reply with its 16-bit
  // fields at data offsets 2, 4 and 29 turned little-endian.
  unsigned char reply_0709[kReply0709Size] = {};
  unsigned char elev_mask_reply[kElevMaskReplySize] = {};

  // ---- positions: earth-centred (record 3, or record 2 converted) and the
  // base's offset from it (record 6), metres.
  std::uint8_t ecef_from_llh = 1;
  std::uint8_t base_present = 0;
  double ecef[3] = {};
  double ecef_delta[3] = {};

 private:
  void DecodeGsofPage(const unsigned char* packet, unsigned data_length);
  void WalkGsofRecords();
  void GsofTime(const unsigned char* r);
  void GsofLlh(const unsigned char* r);
  void GsofAllSatellites(const unsigned char* r, unsigned length);
};

}  // namespace KsParse
}  // namespace Kestrel
