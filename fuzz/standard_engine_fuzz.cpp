// Fuzz target for the standard-receiver engine: arbitrary bytes through
// RcvData and ParseData of an Em_Gnss for one board of the standard engine.
//
// The input's last byte chooses the run: bits 0-2 the board (1, 2, 4, 5, 6),
// bit 3 NMEA positions on, bits 4-7 the block size (0: one byte at a time,
// else 61 times the value). The bytes before it are the receiver's stream.
// Boards whose adapter is not in this build get a stand-in that takes every
// frame, so that each reader set is exercised whatever the build holds.
#include <ksparse/em_gnss.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engines/protocol_engine.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/test_adapter.h"

using namespace Kestrel::KsParse;

namespace {

const MAINBD_OEM_TYPE kBoards[] = {OEM_TRIMBLE, OEM_NOVATEL, OEM_HEMISPHERE, OEM_NMEA_FIRST,
                                   OEM_NMEA_SECOND};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choice = data[size - 1];
  const MAINBD_OEM_TYPE board = kBoards[(choice & 7) % 5];
  const std::size_t block = Fuzz::BlockSize(choice >> 4, 61);

  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, board);
  if (gnss.Get_GnsMd() == OEM_NONE) {
    auto* stand_in = new RecordingAdapter(static_cast<std::uint32_t>(board));
    stand_in->accept = (choice & 8) != 0;
    EmGnssTestAccess::SetAdapter(gnss, stand_in);
  }
  Fuzz::QueryOnEveryMessage(gnss);
  gnss.Set_GNSS_ParseNmea((choice & 8) != 0);

  const RecvBuffer& rx = *EmGnssTestAccess::Engine(gnss)->rx;
  for (std::size_t pos = 0; pos + 1 < size; pos += block) {
    // An exactly sized copy, so that a read past the block is caught.
    const std::size_t n = pos + block < size - 1 ? block : size - 1 - pos;
    std::vector<unsigned char> bytes(data + pos, data + pos + n);
    gnss.RcvData(bytes.data(), static_cast<unsigned>(n));
    // Rejected frames end a ParseData call: call again while bytes go.
    for (int mark = -1, calls = 0; mark != rx.Mark() && calls < 64; ++calls) {
      mark = rx.Mark();
      gnss.ParseData();
    }
    Fuzz::CheckRecvBuffer(rx);
  }
  return 0;
}
