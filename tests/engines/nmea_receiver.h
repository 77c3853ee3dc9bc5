// An Em_Gnss for an NMEA-only board, as an application runs it: NMEA
// positions on, and on every message a snapshot of everything the queries
// answer.
#pragma once

#include <ksparse/em_gnss.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {

// Line ends enough for the look-ahead, so that a stream's last sentences are
// examined too.
inline const std::string kNmeaTail(306, '\n');

// Everything the queries answer after one message, zeroed whole (padding
// included) so that two snapshots compare as bytes.
struct Snapshot {
  Snapshot() { std::memset(static_cast<void*>(this), 0, sizeof *this); }
  std::string Bytes() const { return std::string(reinterpret_cast<const char*>(this), sizeof *this); }

  unsigned flags;
  POS_INFO pos;
  Time_Str time;
  Dops dops;
  Precisions precision;
  double speed, course;
  unsigned counts[5];
  SATLLITE_STR sats[5][32];
  unsigned char gga[2048];
  unsigned gga_length;
  SAT_USE use;
  BASEINFO base;
  unsigned long solutions;
  unsigned elev_mask;
};

struct NmeaReceiver {
  explicit NmeaReceiver(MAINBD_OEM_TYPE board) : gnss(GNSS_MNFCTR_OEM_BOARD, board) {
    const _CALLBACKS_RECEIVER callbacks = {&NmeaReceiver::OnMessage, nullptr};
    gnss.Reg_Callbacks(&callbacks, this);
    gnss.Set_GNSS_ParseNmea(true);
  }
  static void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
    NmeaReceiver& r = *static_cast<NmeaReceiver*>(const_cast<void*>(context));
    Em_Gnss& g = r.gnss;
    r.messages.emplace_back();
    Snapshot& s = r.messages.back();
    s.flags = kind == MSG_GNSS ? value : 0;
    g.Get_Gnss_Pos(&s.pos);
    g.Get_Gnss_Time(&s.time);
    g.Get_Gnss_Dops(&s.dops);
    g.Get_Gnss_Precision(&s.precision);
    g.Get_Gnss_Gprmc(s.speed, s.course);
    for (int system = 1; system <= 5; ++system) g.Get_Gnss_SatInfo(system, &s.counts[system - 1], s.sats[system - 1]);
    g.Get_Gnss_Gpgga(s.gga, &s.gga_length);
    g.Get_Gnss_SatUse(0, &s.use);
    g.Get_Gnss_Baseinfo(s.base);
    s.solutions = g.GetInfo_Gnss_Solutions();
    s.elev_mask = g.Get_Gnss_ElevMask();
  }
  RecvBuffer& Buffer() { return *EmGnssTestAccess::Engine(gnss)->rx; }
  // ParseData calls until one consumes nothing (a rejected frame ends one).
  void Drain() {
    for (int mark = -1; mark != Buffer().Mark();) {
      mark = Buffer().Mark();
      gnss.ParseData();
    }
  }
  // Blocks of the given sizes (the last repeated), each followed by Drain.
  void Feed(const std::string& stream, const std::vector<std::size_t>& sizes) {
    for (std::size_t i = 0, pos = 0, n; pos < stream.size(); ++i, pos += n) {
      n = std::min(sizes[std::min(i, sizes.size() - 1)], stream.size() - pos);
      std::string block = stream.substr(pos, n);
      gnss.RcvData(reinterpret_cast<unsigned char*>(&block[0]), static_cast<unsigned>(n));
      Drain();
    }
  }
  // The snapshots as bytes, for comparing two runs.
  std::vector<std::string> Seen() const {
    std::vector<std::string> seen;
    for (const Snapshot& s : messages) seen.push_back(s.Bytes());
    return seen;
  }

  Em_Gnss gnss;
  std::vector<Snapshot> messages;
};

}  // namespace KsParse
}  // namespace Kestrel
