// Fuzz target for the legacy engine: bytes through RcvData and ParseData of
// a legacy-protocol Em_Gnss.
//
// Byte 0 chooses the run: bit 0 the mode, bits 1-3 the board the receiver
// starts with (1, 2, 3, 4, 7), bits 4-7 the block size (0: one byte at a
// time, else 37 times the value).
// - Raw mode (bit 0 clear): the bytes after byte 0 are the receiver's stream.
// - Frame mode (bit 0 set): the bytes after byte 0 are records (kind, length
//   L, L bytes), each turned into correctly framed legacy frames, so that
//   the handlers behind the frame check are reached: a single frame of any
//   identifier, a satellite table in 55-byte RH pieces, a 128-byte device
//   record in SI frames with a model code of the record's choice, and a
//   modem reply packet in VI frames.
#include <ksparse/em_gnss.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engines/legacy_engine.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/legacy_wire.h"
#include "tests/support/test_adapter.h"

using namespace Kestrel::KsParse;

namespace {

const MAINBD_OEM_TYPE kBoards[] = {OEM_TRIMBLE, OEM_NOVATEL, OEM_SOFT_RECEIVER, OEM_HEMISPHERE, OEM_HEMISPHERE2};
const char* const kIds[] = {"RG", "RX", "ST", "VD", "VI", "VL", "RH", "SD", "SI", "SC", "SX", "SS", "VY",
                            "FB", "FF", "FH", "FM", "FW", "VQ", "FT", "FJ", "FK", "VM", "RK", "ZZ"};
const char* const kModels[] = {"KT1A", "KT2B", "KS3A", "KN4C", "KH5A", "XXXX"};
constexpr unsigned kIdCount = sizeof kIds / sizeof kIds[0];

using Bytes = std::vector<unsigned char>;

void AddFrame(Bytes& out, const char* id, const std::string& payload) {
  const std::string frame = Frame(id, payload);
  out.insert(out.end(), frame.begin(), frame.end());
}

// `data` cut into frames of `piece` bytes; a last shorter one (possibly
// empty) ends the series.
void AddPieces(Bytes& out, const char* id, const std::string& data, unsigned piece) {
  std::size_t at = 0;
  for (; data.size() - at >= piece; at += piece) AddFrame(out, id, data.substr(at, piece));
  AddFrame(out, id, data.substr(at));
}

Bytes FramedStream(const std::uint8_t* data, std::size_t size) {
  Bytes out;
  std::size_t pos = 0;
  while (pos + 2 <= size) {
    const unsigned kind = data[pos];
    std::size_t n = data[pos + 1];
    pos += 2;
    if (n > size - pos) n = size - pos;
    const std::string body(data + pos, data + pos + n);
    pos += n;
    switch (kind % 4) {
      case 0:
        AddFrame(out, kIds[(kind / 4) % kIdCount], body);
        break;
      case 1:
        AddPieces(out, "RH", body, 55);
        break;
      case 2: {
        std::string record = body.substr(0, 128);
        record.resize(128, '\0');
        record.replace((kind / 32) % 2, 4, kModels[(kind / 4) % 6]);
        AddPieces(out, "SI", record, 55);
        break;
      }
      default:
        // Sub-code from the record, then its data.
        AddPieces(out, "VI", body.empty() ? Reply(89, "") : Reply(body[0], body.substr(1)), 60 + kind / 4);
        break;
    }
  }
  return out;
}

void CheckRecords(const LegacyEngine& e) {
  bool ok = e.rx_length <= sizeof e.rx_text && e.firmware_debug.length <= sizeof e.firmware_debug.data &&
            e.modem_state.area_length <= ModemState::kAreaSize && e.modem_state.host_length <= ModemState::kHostSize &&
            e.radio_state.callsign_length <= RadioState::kCallsignMax && e.fb.text_length <= sizeof e.fb.text;
  for (const ChunkArea* c : {&e.chunk_fw, &e.chunk_fm, &e.chunk_fj}) ok = ok && c->length <= ChunkArea::kFull;
  for (const SatTable& t : e.sat_lists) ok = ok && t.count <= SatTable::kCapacity;
  if (e.adapter != nullptr && e.adapter->decoder != nullptr) {
    for (const SatTable& t : e.adapter->decoder->tables) ok = ok && t.count <= SatTable::kCapacity;
  }
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choice = data[0];
  const MAINBD_OEM_TYPE board = kBoards[((choice >> 1) & 7) % 5];
  const std::size_t block = Fuzz::BlockSize(choice >> 4, 37);
  const Bytes stream = (choice & 1) != 0 ? FramedStream(data + 1, size - 1) : Bytes(data + 1, data + size);

  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, board);
  Fuzz::QueryOnEveryMessage(gnss);
  const LegacyEngine& engine = *static_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss));
  const RecvBuffer& rx = *engine.rx;
  for (std::size_t pos = 0; pos < stream.size(); pos += block) {
    // An exactly sized copy, so that a read past the block is caught.
    const std::size_t n = pos + block < stream.size() ? block : stream.size() - pos;
    Bytes bytes(stream.begin() + static_cast<long>(pos), stream.begin() + static_cast<long>(pos + n));
    gnss.RcvData(bytes.data(), static_cast<unsigned>(n));
    gnss.ParseData();
    Fuzz::CheckRecvBuffer(rx);
    CheckRecords(engine);
  }
  return 0;
}
