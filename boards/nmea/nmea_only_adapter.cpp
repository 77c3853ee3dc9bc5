#include "boards/nmea/nmea_only_adapter.h"

#include <new>

#include "boards/adapter_factory.h"

namespace Kestrel {
namespace KsParse {

bool NmeaOnlyDecoder::DecodeMessage(const unsigned char* data, unsigned int, unsigned int length) {
  if (data == nullptr || length == 0) return false;
  msg_flags = 0;
  return true;
}

NmeaOnlyAdapter::NmeaOnlyAdapter(std::uint32_t kind, const char* talkers) : talkers_(talkers) {
  oem_type = kind;
  // The engine's talkers for these boards are this adapter's, and NMEA of
  // them goes straight to the shared frame step.
  decodes_checked_nmea = true;
  commands = new (std::nothrow) SilentCommandSet();
  decoder = new (std::nothrow) NmeaOnlyDecoder;
}

bool NmeaOnlyAdapter::ProcessFrame() {
  if (frame == nullptr) return false;
  if (frame->length < frame->read_pos + 3) return false;  // too short to tell: wait
  if (IsNmeaStart(frame->data + frame->read_pos, talkers_)) return ProcessNmeaFrame(*this);
  frame->Clear();  // not NMEA of an accepted talker: consumed
  return true;
}

NmeaFirstAdapter::NmeaFirstAdapter() : NmeaOnlyAdapter(OEM_NMEA_FIRST, "GPGL") {}

bool NmeaFirstAdapter::DecodeMessage(const unsigned char*, unsigned int, unsigned int) { return true; }

NmeaSecondAdapter::NmeaSecondAdapter() : NmeaOnlyAdapter(OEM_NMEA_SECOND, "GPGLGNBD") {}

BoardAdapter* CreateNmeaOnlyAdapter(std::uint32_t kind) {
  BoardAdapter* adapter = nullptr;
  if (kind == static_cast<std::uint32_t>(OEM_NMEA_FIRST)) {
    adapter = new (std::nothrow) NmeaFirstAdapter();
  } else if (kind == static_cast<std::uint32_t>(OEM_NMEA_SECOND)) {
    adapter = new (std::nothrow) NmeaSecondAdapter();
  }
  if (adapter != nullptr &&
      (adapter->frame == nullptr || adapter->commands == nullptr || adapter->decoder == nullptr)) {
    delete adapter;
    adapter = nullptr;
  }
  return adapter;
}

}  // namespace KsParse
}  // namespace Kestrel
