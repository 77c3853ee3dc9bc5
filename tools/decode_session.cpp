#include "tools/decode_session.h"

#include <algorithm>
#include <vector>

#include "tools/decode_record.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

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
  if (last_count_ == nullptr || last_kind_ != static_cast<unsigned>(kind)) {
    last_kind_ = static_cast<unsigned>(kind);
    last_count_ = &stats_.by_kind[last_kind_];  // map elements stay where they are
  }
  ++*last_count_;
  if (settings_.listener != nullptr) settings_.listener->OnCallback(gnss_, kind, value);
  if (settings_.mode == OutputMode::kQuiet || out_ == nullptr) return;
  if (settings_.mode == OutputMode::kJson) {
    // Straight into the reused line buffer: no tree, no allocation once the
    // buffer has grown to the longest record.
    json_.Clear();
    WriteDecodeRecord(json_, gnss_, kind, value, *obs_);
    json_.Put('\n');
    std::fwrite(json_.data(), 1, json_.size(), out_);
    return;
  }
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
    Drain();
    data += slice;
    length -= slice;
  }
}

void DecodeSession::Drain() {
  // A rejected frame ends a ParseData call early, so parsing goes on while
  // a call consumes bytes. A call that consumes none has met an incomplete
  // frame (or an empty buffer) and would do the same again until more bytes
  // come. Each further call consumes at least one byte: at most as many
  // calls as bytes buffered.
  unsigned int held = gnss_.Get_BufferedBytes();
  for (;;) {
    gnss_.ParseData();
    const unsigned int now = gnss_.Get_BufferedBytes();
    if (now == 0 || now >= held) return;
    held = now;
  }
}

void DecodeSession::Finish() {
  const std::vector<unsigned char> padding(kEndPadding, 0);
  Hand(padding.data(), padding.size());
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
