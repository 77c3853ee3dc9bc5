// RTCM 3 (RTCM 10403) message decoder: classifies frames by message number,
// checks that they are long enough, decodes the coordinate-transformation
// messages 1021 to 1027 and the GPS observation message 1004.
//
// Every operation takes the whole frame from its 0xD3 preamble on and its
// length in bytes; fields are addressed by frame bit position (message bit +
// 24). No operation reads outside the bytes given, allocates or throws.
#pragma once

#include <cstdint>

#include <ksparse/export.h>
#include <ksparse/protocol_decoder.h>
#include <ksparse/rtcm_records.h>

namespace Kestrel {
namespace KsParse {

class KSPARSE_API Em_TrsMtPrlRTCM : public Em_ProtocolDecoder {
 public:
  // Satellite numbers kept in the 1004 state: GPS 1-32, SBAS 92-110.
  static constexpr unsigned kMaxSatellite = 110;
  static constexpr unsigned kFrequencies = 2;

  Em_TrsMtPrlRTCM();
  // Decode_type1004 writes into obs.data (the pointer is kept, not owned).
  explicit Em_TrsMtPrlRTCM(obs_t& obs);
  // Copies every field; the observation target is shared, not duplicated.
  Em_TrsMtPrlRTCM(const Em_TrsMtPrlRTCM& other) = default;
  Em_TrsMtPrlRTCM& operator=(const Em_TrsMtPrlRTCM& other) = default;
  ~Em_TrsMtPrlRTCM() override;

  // Writes "<number>\r\n" to standard output, records the number and tells
  // whether it is a handled message long enough to decode. Decodes nothing.
  bool Prc_Prtcl_ID(unsigned int number, unsigned char* data, unsigned int length) override;

  // Always true. Fills one record of the observation target per decodable
  // satellite block, keeping carrier phases continuous across calls.
  bool Decode_type1004(const unsigned char* data, unsigned int length);
  bool Decode_type1012(const unsigned char* data, unsigned int length);
  bool Decode_type1019(const unsigned char* data, unsigned int length);
  // The decoders below return false and leave their outputs untouched when
  // the frame is absent, empty or shorter than the fields they read.
  bool Decode_type1021(const unsigned char* data, unsigned int length, int& system_id, int& computation,
                       int& height, unsigned int& utilized, trancood_t& out);
  bool Decode_type1022(const unsigned char* data, unsigned int length, trancood_t& out);
  bool Decode_type1023(const unsigned char* data, unsigned int length, geoid_mdel_para& out);
  bool Decode_type1024(const unsigned char* data, unsigned int length, geoid_mdel_para& out);
  bool Decode_type1025(const unsigned char* data, unsigned int length);
  bool Decode_type1026(const unsigned char* data, unsigned int length);
  bool Decode_type1027(const unsigned char* data, unsigned int length, int& projection_type,
                       projection_param& out);
  bool Decode_type1033(const unsigned char* data, unsigned int length);

  // Number given to the last Prc_Prtcl_ID call with data.
  std::uint32_t LastMessageNumber() const { return last_number_; }

 private:
  bool Is1004DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1012DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1019DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1021DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1022DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1023DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1024DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1025DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1026DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1027DataValid(const unsigned char* data, unsigned int length) const;
  bool Is1033DataValid(const unsigned char* data, unsigned int length) const;

  // Carrier-phase continuity: returns cp moved by whole 1500-cycle steps to
  // within 750 cycles of the stored value, and stores it.
  double AdjustPhase(unsigned satellite, unsigned frequency, double cp);
  // Loss of lock from a lock-time indicator that went down; stores the value.
  std::uint8_t LossOfLock(unsigned satellite, unsigned frequency, unsigned lock);

  std::uint32_t last_number_;
  double phase_[kMaxSatellite][kFrequencies];
  std::uint8_t lock_[kMaxSatellite][kFrequencies];
  obs_t* obs_;
};

}  // namespace KsParse
}  // namespace Kestrel
