// Shared NMEA sentence handlers of the board decoders.
#include "boards/board_adapter.h"
#include "boards/nmea/nmea_sentence.h"

namespace Kestrel {
namespace KsParse {

bool ProcessNmeaFrame(BoardAdapter& adapter) {
  adapter.frame->Clear();
  return false;
}

bool BoardDecoder::DecodeSentence(int, const char*, unsigned int) { return false; }
void BoardDecoder::OnGga(const NmeaSentence&) {}
void BoardDecoder::OnGpsGsv(const NmeaSentence&) {}
void BoardDecoder::OnGlonassGsv(const NmeaSentence&) {}
void BoardDecoder::OnBeidouGsv(const NmeaSentence&) {}
void BoardDecoder::OnGst(const NmeaSentence&) {}
void BoardDecoder::OnRmc(const NmeaSentence&) {}
void BoardDecoder::OnGsa(const NmeaSentence&) {}
void BoardDecoder::OnZda(const NmeaSentence&) {}

}  // namespace KsParse
}  // namespace Kestrel
