#include "tools/decode_session.h"

#include <algorithm>
#include <vector>

#include "tools/decode_record.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr std::size_t kReceiveBufferBytes = 20480;

}  // namespace

DecodeSession::DecodeSession(const DecodeSettings& settings, std::FILE* out)
    : settings_(settings),
      out_(out),
      gnss_(static_cast<GNSS_MANUFACTURER>(settings.manufacturer),
            static_cast<MAINBD_OEM_TYPE>(settings.board)),
      obs_(new em_obs_t()) {
  _CALLBACKS_RECEIVER callbacks = {&DecodeSession::OnMessage, nullptr};
  gnss_.Reg_Callbacks(&callbacks, this);
  if (settings.parse_nmea) gnss_.Set_GNSS_ParseNmea(true);
  if (settings.set_time_zone) gnss_.Set_TimeZone(settings.time_zone);
}

DecodeSession::~DecodeSession() = default;

void DecodeSession::OnMessage(Msg_Type kind, unsigned int value, const void* context) {
  static_cast<DecodeSession*>(const_cast<void*>(context))->Handle(kind, value);
}

void DecodeSession::Handle(Msg_Type kind, unsigned int value) {
  ++stats_.callbacks;
  ++stats_.by_kind[static_cast<unsigned>(kind)];
  if (settings_.listener != nullptr) settings_.listener->OnCallback(gnss_, kind, value);
  if (settings_.mode == OutputMode::kQuiet || out_ == nullptr) return;
  const Value record = DecodeRecord(gnss_, kind, value, *obs_);
  if (settings_.mode == OutputMode::kSummary) {
    summary_.Add(record);
  } else {
    Emit(record, settings_.mode, out_);
  }
}

void DecodeSession::Feed(const unsigned char* data, std::size_t length) {
  stats_.bytes += length;
  Hand(data, length);
}

void DecodeSession::Hand(const unsigned char* data, std::size_t length) {
  while (length > 0) {
    const std::size_t slice = std::min(length, kSliceBytes);
    gnss_.RcvData(const_cast<unsigned char*>(data), static_cast<unsigned int>(slice));
    handed_ += slice;
    // A rejected candidate ends a ParseData call early without a callback
    // and may consume as little as one byte; nothing tells the caller how
    // far a call got. Parsing therefore goes on until as many calls in a row
    // as the slice has bytes (plus two) produced no callback: enough for a
    // slice of nothing but false starts. A stalled incomplete frame costs
    // these cheap calls; Finish proves the end.
    Drain(2 + slice);
    data += slice;
    length -= slice;
  }
}

void DecodeSession::Drain(std::size_t idle_limit) {
  std::size_t idle = 0;
  while (idle < idle_limit) {
    const std::uint64_t before = stats_.callbacks;
    gnss_.ParseData();
    idle = stats_.callbacks == before ? idle + 1 : 0;
  }
}

void DecodeSession::Finish() {
  const std::vector<unsigned char> padding(kEndPadding, 0);
  Hand(padding.data(), padding.size());
  // Every call that consumed something without a callback took at least one
  // byte, so as many idle calls as bytes can be buffered prove that nothing
  // is left that a further call could take.
  Drain(static_cast<std::size_t>(std::min<std::uint64_t>(handed_, kReceiveBufferBytes)) + 2);
  if (out_ == nullptr) return;
  if (settings_.mode == OutputMode::kSummary) {
    const std::string text = summary_.Text(stats_.bytes);
    std::fwrite(text.data(), 1, text.size(), out_);
  }
  std::fflush(out_);
}

std::string DecodeSession::Summary() const {
  return std::to_string(stats_.bytes) + " bytes read, " + std::to_string(stats_.callbacks) + " callbacks" +
         Tally(stats_.by_kind, "kind ");
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
