// What the fuzz targets share: the message callback of those that run a
// whole Em_Gnss (every message reads back everything the queries answer, so
// that whatever a frame stored also goes through the query paths, and an
// answer beyond its record's bounds stops the run), the stream and frame
// feeds, and the bounds checks after each step.
#pragma once

#include <ksparse/em_gnss.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "boards/board_adapter.h"
#include "boards/board_decoder.h"
#include "facade/recv_buffer.h"

namespace Kestrel {
namespace KsParse {
namespace Fuzz {

// A callback whose context is the Em_Gnss that raised it.
inline void QueryEverything(Msg_Type, unsigned int, const void* context) {
  Em_Gnss& g = *static_cast<Em_Gnss*>(const_cast<void*>(context));
  POS_INFO pos;
  g.Get_Gnss_Pos(&pos);
  Time_Str time;
  g.Get_Gnss_Time(&time);
  Dops dops;
  g.Get_Gnss_Dops(&dops);
  Precisions precision;
  g.Get_Gnss_Precision(&precision);
  double speed = 0, course = 0;
  g.Get_Gnss_Gprmc(speed, course);
  static SATLLITE_STR sats[32];
  for (int system = 0; system <= 6; ++system) {
    unsigned int count = 0;
    g.Get_Gnss_SatInfo(system, &count, sats);
    if (count > 32) std::abort();
  }
  static unsigned char gga[2048];
  unsigned int length = 0;
  g.Get_Gnss_Gpgga(gga, &length);
  if (length > sizeof gga) std::abort();
  SAT_USE use;
  g.Get_Gnss_SatUse(0, &use);
  BASEINFO base;
  g.Get_Gnss_Baseinfo(base);
  unsigned int system = 0;
  static em_eph_t eph;
  g.Get_Gnss_Ephemeris(&system, &eph);
  static em_obs_t obs;
  g.Get_Gnss_Obs_t(&obs);
  if (obs.n > BoardDecoder::kObsCapacity) std::abort();
  g.Get_Gnss_ElevMask();
}

// Makes QueryEverything the callback of `gnss`.
inline void QueryOnEveryMessage(Em_Gnss& gnss) {
  const _CALLBACKS_RECEIVER callbacks = {&QueryEverything, nullptr};
  gnss.Reg_Callbacks(&callbacks, &gnss);
}

using Frames = std::vector<std::vector<std::uint8_t>>;

// The block size an input's choice bits give: one byte for 0, else `unit`
// times the value.
inline std::size_t BlockSize(unsigned choice, std::size_t unit) { return choice == 0 ? 1 : unit * choice; }

// The input after the mode byte: the frames `build` makes of it, or the raw
// bytes as one frame.
template <typename Build>
Frames FramesOf(bool built, const std::uint8_t* data, std::size_t size, Build build) {
  return built ? build(data, size) : Frames{std::vector<std::uint8_t>(data, data + size)};
}

// Stops the run when a receive buffer's positions leave their order.
inline void CheckRecvBuffer(const RecvBuffer& b) {
  const int mark = b.Mark(), cursor = b.Cursor(), fill = b.Fill();
  if (mark < 0 || mark > cursor || cursor > fill || fill > RecvBuffer::kCapacity) std::abort();
}

// Stops the run when the frame buffer, the observation list or a satellite
// table of `adapter` holds more than its capacity.
inline void CheckAdapter(const BoardAdapter& adapter) {
  const BoardDecoder& d = *adapter.decoder;
  if (adapter.frame->length > FrameBuffer::kCapacity || d.obs_count > BoardDecoder::kObsCapacity) std::abort();
  for (const SatTable& t : d.tables)
    if (t.count > SatTable::kCapacity) std::abort();
}

// The frames into the adapter's ProcessFrame one by one, CheckAdapter after
// each. Bytes of an incomplete frame stay and the next frame is appended to
// them, as under an engine that hands frames on in pieces.
inline void FeedAdapter(BoardAdapter& adapter, const Frames& frames) {
  for (const auto& f : frames) {
    adapter.frame->Append(f.data(), static_cast<std::uint32_t>(f.size()));
    adapter.ProcessFrame();
    CheckAdapter(adapter);
  }
}

// The frames as one stream into a fresh Em_Gnss of the given board, handed
// over `block` bytes at a time, every message answered by QueryEverything.
// ParseData runs a few times after each block, as a refused frame ends a call.
inline void FeedStream(GNSS_MANUFACTURER manufacturer, MAINBD_OEM_TYPE board,
                       const Frames& frames, std::size_t block) {
  std::vector<std::uint8_t> stream;
  for (const auto& f : frames) stream.insert(stream.end(), f.begin(), f.end());
  Em_Gnss gnss(manufacturer, board);
  QueryOnEveryMessage(gnss);
  for (std::size_t at = 0; at < stream.size(); at += block) {
    const std::size_t n = stream.size() - at < block ? stream.size() - at : block;
    gnss.RcvData(stream.data() + at, static_cast<unsigned>(n));
    for (int i = 0; i < 3; ++i) gnss.ParseData();
  }
}

}  // namespace Fuzz
}  // namespace KsParse
}  // namespace Kestrel
