#include "tools/rinex_converter.h"

#include <cstring>
#include <vector>

#include "boards/gnss_utils.h"
#include "rtcm/bit_field.h"
#include "tools/decode_record.h"
#include "tools/rtcm_frame_finder.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Observations, ephemerides and the first position of a decoded stream.
class RinexConverter::Collector : public DecodeListener {
 public:
  explicit Collector(double snr_unit) : obs_(new em_obs_t()), observations_(snr_unit) {}

  void OnCallback(Em_Gnss& gnss, Msg_Type kind, unsigned int flags) override {
    if (kind != MSG_GNSS && kind != MSG_NV_NMEA) return;
    if (flags & Flag::kObservations) {
      gnss.Get_Gnss_Obs_t(obs_.get());
      observations_.AddEpoch(obs_->data, obs_->n < kObsRecordsPerQuery ? obs_->n : kObsRecordsPerQuery);
    }
    if (flags & Flag::kEphemeris) {
      unsigned int system = 0;
      em_eph_t eph;
      std::memset(&eph, 0, sizeof(eph));
      gnss.Get_Gnss_Ephemeris(&system, &eph);
      if (system == 1) navigation_.Add(eph);
    }
    if (!header_.has_position && (flags & Flag::kPosition)) {
      POS_INFO pos;
      std::memset(&pos, 0, sizeof(pos));
      gnss.Get_Gnss_Pos(&pos);
      if (pos.latitude != 0.0 || pos.longitude != 0.0) {
        Gnss::GeodeticToEcef(pos.latitude, pos.longitude, pos.height, header_.xyz);
        header_.has_position = true;
      }
    }
    if (!header_.has_position && (flags & Flag::kBase)) {
      BASEINFO base = {};
      gnss.Get_Gnss_Baseinfo(base);
      if (base.x != 0.0 || base.y != 0.0 || base.z != 0.0) {
        header_.xyz[0] = base.x;
        header_.xyz[1] = base.y;
        header_.xyz[2] = base.z;
        header_.has_position = true;
      }
    }
  }

  RinexObsHeader& Header() { return header_; }
  RinexObsWriter& Observations() { return observations_; }
  const RinexObsHeader& Header() const { return header_; }
  const RinexObsWriter& Observations() const { return observations_; }
  const RinexNavWriter& Navigation() const { return navigation_; }

 private:
  std::unique_ptr<em_obs_t> obs_;
  RinexObsHeader header_;
  RinexObsWriter observations_;
  RinexNavWriter navigation_;
};

// RTCM 3: observations from message 1004 through Em_TrsMtPrlRTCM, the
// station position from 1005/1006. The decoder fills one record per
// decodable satellite block but leaves the satellite number and time to the
// caller, so both come from the frame here: the block's PRN field (GPS
// 1-32, SBAS 120-138 from field values 40-58) and the message's time of
// week in the week given, moved on when the time of week wraps.
class RinexConverter::RtcmReader {
 public:
  RtcmReader(int week, Collector& collector)
      : week_(week), records_(new em_obsd_t[kCapacity]()), obs_{0, kCapacity, records_.get()}, decoder_(obs_),
        collector_(collector) {}

  void Feed(const unsigned char* data, std::size_t length) {
    finder_.Feed(data, length);
    Drain();
  }

  void Finish() {
    finder_.Finish();
    Drain();
  }

 private:
  static constexpr unsigned kCapacity = 72;  // every block of the longest frame

  void Drain() {
    const unsigned char* frame = nullptr;
    std::size_t length = 0;
    while (finder_.Next(&frame, &length)) Frame(frame, length);
  }

  void Frame(const unsigned char* frame, std::size_t length) {
    const unsigned int n = static_cast<unsigned int>(length);
    if (!Rtcm::FitsInFrame(n, 36)) return;
    const unsigned number = static_cast<unsigned>(Rtcm::ReadUnsigned(frame, 24, 12));
    if (number == 1005 || number == 1006) Station(frame, n);
    if (number == 1004) Observations(frame, n);
  }

  void Station(const unsigned char* frame, unsigned int n) {
    RinexObsHeader& header = collector_.Header();
    if (header.has_position || !Rtcm::FitsInFrame(n, 24 + 152)) return;
    header.xyz[0] = Rtcm::ReadSigned(frame, 24 + 34, 38) * 1e-4;
    header.xyz[1] = Rtcm::ReadSigned(frame, 24 + 74, 38) * 1e-4;
    header.xyz[2] = Rtcm::ReadSigned(frame, 24 + 114, 38) * 1e-4;
    header.has_position = true;
  }

  void Observations(const unsigned char* frame, unsigned int n) {
    if (!Rtcm::FitsInFrame(n, 88)) return;
    const double tow = Rtcm::ReadUnsigned(frame, 48, 30) * 1e-3;
    if (have_tow_ && tow < last_tow_ - Gnss::kSecondsPerWeek / 2) ++week_;
    have_tow_ = true;
    last_tow_ = tow;
    const em_gtime_t time = Gnss::GpsToTime(static_cast<std::uint32_t>(week_), tow);
    std::memset(static_cast<void*>(records_.get()), 0, sizeof(em_obsd_t) * kCapacity);
    decoder_.Decode_type1004(frame, n);
    unsigned r = 0;
    for (std::uint64_t b = 88; b + 125 <= Rtcm::FrameBits(n) && r < kCapacity; b += 125) {
      const unsigned field = static_cast<unsigned>(Rtcm::ReadUnsigned(frame, b, 6));
      const unsigned prn = field < 40 ? (field >= 1 && field <= 32 ? field : 0) : (field + 80 <= 138 ? field + 80 : 0);
      if (prn == 0) continue;
      em_obsd_t& o = records_[r++];
      o.sat = static_cast<std::uint8_t>(prn);
      o.time = time.time;
      o.sec = time.sec;
    }
    collector_.Observations().AddEpoch(records_.get(), r);
  }

  RtcmFrameFinder finder_;
  int week_;
  bool have_tow_ = false;
  double last_tow_ = 0.0;
  std::unique_ptr<em_obsd_t[]> records_;
  obs_t obs_;
  Em_TrsMtPrlRTCM decoder_;
  Collector& collector_;
};

RinexConverter::RinexConverter(const RinexSettings& settings)
    // Signal strength: whole dB-Hz from the board decoders, quarter dB-Hz
    // from RTCM 3 message 1004.
    : collector_(new Collector(settings.rtcm ? 0.25 : 1.0)) {
  collector_->Header() = settings.header;
  if (settings.rtcm) {
    rtcm_.reset(new RtcmReader(settings.week, *collector_));
  } else {
    DecodeSettings decode = settings.decode;
    decode.mode = OutputMode::kQuiet;
    decode.listener = collector_.get();
    session_.reset(new DecodeSession(decode, nullptr));
  }
}

RinexConverter::~RinexConverter() = default;

void RinexConverter::Feed(const unsigned char* data, std::size_t length) {
  if (session_) {
    session_->Feed(data, length);
  } else {
    rtcm_->Feed(data, length);
  }
}

void RinexConverter::Finish() {
  if (session_) {
    session_->Finish();
  } else {
    rtcm_->Finish();
  }
}

std::size_t RinexConverter::Epochs() const { return collector_->Observations().Epochs(); }

std::size_t RinexConverter::Ephemerides() const { return collector_->Navigation().Count(); }

bool RinexConverter::WriteObservations(std::FILE* out) const {
  return collector_->Observations().Write(out, collector_->Header());
}

bool RinexConverter::WriteNavigation(std::FILE* out) const {
  return collector_->Navigation().Write(out, collector_->Observations().FirstWeek(), collector_->Header().comment);
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
