// The protocol engine: turns the receive buffer's bytes into decoded records
// for one receiver family, owns the board adapter and forwards board-level
// commands to it. Em_Gnss talks to its engine only through this interface;
// the virtual operations are declared in their fixed slot order.
#pragma once

#include <cstdint>
#include <vector>

#include <ksparse/nav_records.h>
#include <ksparse/types.h>

#include "boards/board_adapter.h"
#include "facade/recv_buffer.h"

namespace Kestrel {
namespace KsParse {

class ProtocolEngine {
 public:
  // Raw packets carry at most this many bytes each.
  static constexpr unsigned int kPacketBytes = sizeof(_STR_CMD::buf);
  static constexpr std::uint32_t kWaitCustom = 50;
  static constexpr std::uint32_t kWaitDiffData = 100;

  explicit ProtocolEngine(GNSS_MANUFACTURER manufacturer);
  virtual ~ProtocolEngine();  // 0
  ProtocolEngine(const ProtocolEngine&) = delete;
  ProtocolEngine& operator=(const ProtocolEngine&) = delete;

  // 1: one parse step. 0: nothing more can be parsed now; otherwise call
  // again, and last_kind / changed_flags describe what the step produced.
  virtual int ParseNext() = 0;
  // 2: replaces the board adapter by the one for `type`.
  virtual bool SelectBoard(MAINBD_OEM_TYPE type) = 0;

  // 3..19: decoded values (defaults without an adapter: 0, -1.0 for 19).
  virtual double Latitude();                       // 3
  virtual double Longitude();                      // 4
  virtual double Height();                         // 5
  virtual double RangeRms();                       // 6
  virtual double HorizontalPrecision();            // 7
  virtual double VerticalPrecision();              // 8
  virtual double Pdop();                           // 9
  virtual double Hdop();                           // 10
  virtual double Vdop();                           // 11
  virtual double Tdop();                           // 12
  virtual double Gdop();                           // 13
  virtual double SpeedKnots();                     // 14
  virtual double CourseRadians();                  // 15
  virtual void BaseInfo(BASEINFO& out);            // 16
  virtual void LastGga(unsigned char* buf, unsigned int* length);  // 17
  virtual std::uint32_t SolutionCode();            // 18
  virtual double DiffAge();                        // 19

  // 20..37: commands appended to the caller's vector.
  virtual void Init(CommandList& cmds);                                           // 20
  virtual void StartBase(CommandList& cmds);                                      // 21
  virtual void StartRover(CommandList& cmds);                                     // 22
  virtual void Reset(CommandList& cmds);                                          // 23
  // The pdop mask and the reserved word are not used by the board commands.
  virtual void SetElevMask(CommandList& cmds, unsigned int degrees, double pdop_mask,
                           unsigned int reserved, unsigned int system);           // 24
  virtual void SetPosRate(CommandList& cmds, GNSS_FRQ rate);                      // 25
  virtual void SendObs(CommandList& cmds, GNSS_FRQ rate);                         // 26
  virtual void SendEphemeris(CommandList& cmds, GNSS_FRQ rate);                   // 27
  virtual void SendEphemSat(CommandList& cmds, unsigned int prn);                 // 28
  virtual void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                       unsigned int port);                                        // 29
  virtual void SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                         unsigned int extra);                                     // 30
  virtual void QueryElevMask(CommandList& cmds);                                  // 31
  virtual void Unlog(CommandList& cmds);                                          // 32
  virtual void SendDiffData(CommandList& cmds, const unsigned char* data,
                            unsigned int length) = 0;                             // 33
  virtual void PassComChar(PASSCOMCHAR& out);                                     // 34
  virtual void PassCom(CommandList& cmds, unsigned int port);                     // 35
  virtual void SetParseNmea(bool on);                                             // 36
  virtual void CustomPackets(CommandList& cmds, const unsigned char* data,
                             unsigned int length);                                // 37

  // Cuts a block into packets of at most 512 bytes, without framing; a block
  // of 0 bytes gives one empty packet.
  static void AppendRawPackets(CommandList& cmds, const unsigned char* data, unsigned int length,
                               std::uint32_t wait);

  BoardDecoder* Decoder() const { return adapter != nullptr ? adapter->decoder : nullptr; }
  MAINBD_OEM_TYPE BoardType() const {
    return adapter != nullptr ? static_cast<MAINBD_OEM_TYPE>(adapter->oem_type) : OEM_NONE;
  }

  Msg_Type last_kind = MSG_NONE;
  GNSS_MANUFACTURER manufacturer;
  RecvBuffer* rx = nullptr;
  BoardAdapter* adapter = nullptr;
  std::int32_t msg_code = -1;
  std::uint32_t changed_flags = 0;
  Com_Status com_status = COM_STATUS_DIRECT;
  std::uint32_t base_port = 0;

 protected:
  // Destroys the current adapter (if any) and installs `next`.
  void ReplaceAdapter(BoardAdapter* next);
  // Hands the complete frame in `bytes` to the adapter. On success the
  // engine reports kind 1 with the decoder's flags. `checked`: the engine
  // has run the frame step's integrity checks on these bytes (with their
  // verdict "intact"), which the step then skips.
  bool HandToAdapter(const unsigned char* bytes, unsigned int count, bool checked = false);
  // Runs the adapter's frame step on the bytes it holds (adapter present),
  // reporting as HandToAdapter.
  bool ProcessHeldFrame();

 private:
  // Reports the frame the adapter took: kind 1 with the decoder's flags.
  bool ReportTaken();
};

}  // namespace KsParse
}  // namespace Kestrel
