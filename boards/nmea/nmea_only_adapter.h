// Adapters for boards of which only the NMEA output is read and to which no
// board command is sent: kind 5 (talkers GP and GL) and kind 6 (GP, GL, GN
// and BD; also every board type the standard engine does not know).
#pragma once

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

// The shared NMEA handlers; the board has no frames of its own, so a
// message handed to it decodes nothing.
class NmeaOnlyDecoder : public BoardDecoder {
 public:
  // False for null data or a zero length; otherwise clears msg_flags and
  // reports true.
  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;
};

class NmeaOnlyAdapter : public BoardAdapter {
 public:
  // NMEA of an accepted talker goes through the shared frame step; any other
  // frame is discarded and reported as handled.
  bool ProcessFrame() override;

 protected:
  // Creates the silent command set and the NMEA decoder (either stays null
  // when its allocation fails). `talkers`: pairs of letters accepted after
  // '$' (e.g. "GPGL").
  NmeaOnlyAdapter(std::uint32_t kind, const char* talkers);

 private:
  const char* talkers_;
};

// Kind 5: GP and GL sentences; messages are accepted without reaching the
// decoder.
class NmeaFirstAdapter : public NmeaOnlyAdapter {
 public:
  NmeaFirstAdapter();
  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;
};

// Kind 6: GP, GL, GN and BD sentences; messages go to the decoder.
class NmeaSecondAdapter : public NmeaOnlyAdapter {
 public:
  NmeaSecondAdapter();
};

}  // namespace KsParse
}  // namespace Kestrel
