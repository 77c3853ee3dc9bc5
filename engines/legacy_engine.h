// The engine for the maker's receivers that speak the legacy framed
// protocol. Legacy frames start with "$$" and carry a two-letter identifier;
// a software-receiver board also sends NovAtel binary logs on the same
// stream.
#pragma once

#include <cstdint>

#include <ksparse/legacy_records.h>

#include "engines/legacy_state.h"
#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class LegacyEngine : public ProtocolEngine {
 public:
  static constexpr unsigned int kFrameSize = 2048;

  LegacyEngine();
  ~LegacyEngine() override;

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  // Board commands: the board adapter's, carried to the main board in RZ
  // frames, with the receiver's own frames around them.
  void Init(CommandList& cmds) override;
  void StartBase(CommandList& cmds) override;
  void StartRover(CommandList& cmds) override;
  void Reset(CommandList& cmds) override;
  void SetElevMask(CommandList& cmds, unsigned int degrees, double pdop_mask, unsigned int reserved,
                   unsigned int system) override;
  // The receiver sets these outputs itself: nothing is sent to the board.
  void SetPosRate(CommandList&, GNSS_FRQ) override {}
  void SendObs(CommandList&, GNSS_FRQ) override {}
  void SetNmea(CommandList&, unsigned int, GNSS_FRQ, unsigned int) override {}
  void QueryElevMask(CommandList&) override {}
  void Unlog(CommandList&) override {}
  // Differential data in VD frames of at most 55 bytes.
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;

  // Internal message code of a two-letter identifier; identifiers outside
  // the table get first * 256 + second.
  static std::int32_t MessageCode(unsigned char first, unsigned char second);

  // 1 or 2, from the receiver model; chooses the board commands' dialect.
  std::uint32_t board_generation = 0;
  // Main board type last derived from the receiver's device information
  // (mirrored in device_info.detected_board).
  std::uint32_t detected_board = 0;

  // ---- records of the receiver's replies (legacy_dispatch.cpp and the
  // legacy_*.cpp handler files)
  DEVICE_STR device_info = {};
  std::uint8_t device_info_seen = 0;    // a device-information record was decoded
  std::uint8_t modem_version_seen = 0;  // a modem version reply was decoded
  // Payload of the last RX frame (differential-link text).
  unsigned char rx_text[200] = {};
  std::uint32_t rx_length = 0;
  // Last SS record: payload bytes 0-3 at 0, 5-10 at 20, 12-21 at 40.
  unsigned char ss_record[60] = {};
  std::int32_t battery_grade = 0;  // 0 to 10, 12 while charging
  std::uint32_t sd_class = 0;      // 1 to 6
  FbRecord fb = {};
  FfRecord ff = {};
  std::uint32_t fh_pair[2] = {};
  std::uint32_t fk_pair[2] = {};
  ChunkArea chunk_fw = {};  // area 1: file reads
  ChunkArea chunk_fm = {};  // area 2: directory listings
  ChunkArea chunk_fj = {};  // area 3
  char ft_text[21] = {};    // space-filled, NUL-terminated
  RadioState radio_state = {};
  ModemState modem_state = {};
  // Satellite lists of the RH tables: first, second, third system, SBAS.
  SatTable sat_lists[4] = {};
  // The firmware debug record of the last VY frame, handed out once under
  // key 256. Only that key is ever stored, so one slot stands for the map.
  FIRMWARE_DEBUG firmware_debug = {};
  bool firmware_debug_present = false;

  // Sets the radio kind and the limits of that kind.
  void SetRadioKind(std::int32_t kind);

 protected:
  // Acts on a complete legacy frame (msg_code set, payload at byte 6 of
  // frame_). The frame counts as taken whatever happens here.
  virtual void Dispatch();

  unsigned char frame_[kFrameSize] = {};
  FrameBuffer* collector = nullptr;

 private:
  void Report(Msg_Type kind, std::uint32_t flags) {
    last_kind = kind;
    changed_flags = flags;
  }

  // Handlers of the dispatcher; `p` holds the frame's `n` payload bytes.
  void OnDeviceInfo(const unsigned char* p, unsigned n);   // SI
  void OnSatTables(const unsigned char* p, unsigned n);    // RH
  void OnModemFrame(const unsigned char* p, unsigned n);   // VI
  void OnRx(const unsigned char* p, unsigned n);
  void OnShutdown(const unsigned char* p, unsigned n);     // ST
  void OnStatus(const unsigned char* p, unsigned n);       // SD
  void OnSs(const unsigned char* p, unsigned n);
  void OnFirmwareDebug(const unsigned char* p, unsigned n);  // VY
  void OnFb(const unsigned char* p, unsigned n);
  void OnFf(const unsigned char* p, unsigned n);
  void OnWordPair(std::uint32_t (&pair)[2], const unsigned char* p, unsigned n, Msg_Type kind,
                  std::uint32_t flag);                     // FH, FK
  void OnChunk(ChunkArea& area, const unsigned char* p, unsigned n, std::uint32_t full_flag,
               std::uint32_t last_flag);                   // FW, FM, FJ
  void OnFt(const unsigned char* p, unsigned n);
  void OnModemList(const unsigned char* p, unsigned n);    // VM

  // VI packets held in `collector` (`c`, `length` bytes).
  ModemPacket OnModemPacket(const unsigned char* c, unsigned length);
  ModemPacket OnModemVersion(const unsigned char* c, unsigned length);
  // RH tables held in `table` (`n` bytes).
  std::uint32_t OnSignalTable(const unsigned char* table, unsigned n);
  std::uint32_t OnUseTable(const unsigned char* table, unsigned n);
  std::uint32_t OnSignalUpdate(const unsigned char* table, unsigned n);
  std::uint32_t OnSatelliteList(const unsigned char* table, unsigned n, bool combined);

  enum class LegacyRead { kIncomplete, kDispatched, kBadCheck };
  LegacyRead ReadLegacyFrame();
  int ReadBinaryFrame();
  // Hands one piece of the board's stream (an RG or VQ payload) to the
  // adapter, which collects it until a frame is whole.
  void HandBoardPiece(const unsigned char* bytes, unsigned int count);
};

}  // namespace KsParse
}  // namespace Kestrel
