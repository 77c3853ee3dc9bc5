// Nothing lost on a noisy link: real and simulated frames with about 20%
// garbage between them, of three kinds (random bytes; random bytes with the
// sync bytes of every family; a well-formed header whose claimed frame
// covers the real one and fails its check). For every engine and board
// family the noisy stream must give exactly the records of the clean one:
// every frame that an independent scan finds is recovered, and nothing is
// invented. The shared captures are used when present.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "support/frame_scan.h"
#include "support/legacy_wire.h"
#include "support/nmea_wire.h"
#include "support/test_adapter.h"
#include "support/test_paths.h"
#include "tools/sim/hemisphere_sim.h"
#include "tools/sim/newproto_sim.h"
#include "tools/sim/nmea_sim.h"
#include "tools/sim/stream_composer.h"
#include "tools/sim/trimble_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::Bytes;
using Testing::FrameKind;

enum class Garbage { kRandom, kFalseSyncs, kFalseHeader };
const char* Name(Garbage g) {
  return g == Garbage::kRandom ? "random" : g == Garbage::kFalseSyncs ? "false syncs" : "false header";
}

// A receiver, the frame kinds its engine reads, and a header of its main
// frame kind that claims a long frame (the third kind of garbage), with a
// random value at `random_at` (a length byte).
struct Receiver {
  const char* what;
  GNSS_MANUFACTURER manufacturer;
  MAINBD_OEM_TYPE board;
  bool parse_nmea;
  std::vector<FrameKind> kinds;
  Bytes false_header;
  std::size_t random_at;
};

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The sync bytes of every family, each followed by random bytes (and a
// sentence start cut by a line end).
const std::vector<Bytes>& FalseSyncs() {
  static const std::vector<Bytes> syncs = {
      {0xD3, 0x00}, {0xAA, 0x44, 0x12}, B("$GP"), B("$GP\n"), B("$BIN"), B("$$"), {0x02, 0x00, 0x40}, {0x02, 0x00, 0x93}};
  return syncs;
}

class NoisyStream {
 public:
  NoisyStream(const Receiver& r, Garbage kind, std::uint32_t seed) : r_(r), kind_(kind), rng_(seed) {}

  // The frames with garbage before each, about a fifth of all bytes, chosen
  // so that no frame of the receiver's kinds starts inside the garbage.
  Bytes Build(const std::vector<Bytes>& frames) {
    gaps_.assign(frames.size(), {});
    for (std::size_t i = 0; i < frames.size(); ++i) gaps_[i] = Gap(frames[i].size());
    for (int round = 0; round < 400; ++round) {
      const Bytes s = Join(frames);
      const std::size_t bad = FirstBadGap(s, frames);
      if (bad == frames.size()) return s;
      gaps_[bad] = Gap(frames[bad].size());
    }
    ADD_FAILURE() << "no garbage without frames found";
    return Join(frames);
  }

 private:
  Bytes Gap(std::size_t frame_size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, frame_size / 2 + 2);
    Bytes g(size(rng_));
    for (auto& b : g) b = static_cast<std::uint8_t>(byte(rng_));
    if (kind_ == Garbage::kFalseSyncs && !g.empty()) {
      const std::vector<Bytes>& syncs = FalseSyncs();
      for (int k = 0; k < 2; ++k) {
        const Bytes& sync = syncs[std::uniform_int_distribution<std::size_t>(0, syncs.size() - 1)(rng_)];
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, g.size() - 1)(rng_);
        g.insert(g.begin() + static_cast<long>(at), sync.begin(), sync.end());
      }
    } else if (kind_ == Garbage::kFalseHeader) {
      Bytes header = r_.false_header;
      header[r_.random_at] = static_cast<std::uint8_t>(byte(rng_));
      g.insert(g.end(), header.begin(), header.end());
    }
    return g;
  }

  Bytes Join(const std::vector<Bytes>& frames) const {
    Bytes s;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      s.insert(s.end(), gaps_[i].begin(), gaps_[i].end());
      s.insert(s.end(), frames[i].begin(), frames[i].end());
    }
    return s;
  }

  // The first gap in which a frame of the receiver's kinds starts.
  std::size_t FirstBadGap(const Bytes& s, const std::vector<Bytes>& frames) const {
    std::size_t at = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      for (std::size_t k = 0; k < gaps_[i].size(); ++k)
        for (FrameKind kind : r_.kinds)
          if (Testing::FrameAt(s, at + k, kind) != 0) return i;
      at += gaps_[i].size() + frames[i].size();
    }
    return frames.size();
  }

  const Receiver& r_;
  Garbage kind_;
  std::mt19937 rng_;
  std::vector<Bytes> gaps_;
};

// What the application sees: kind, flags and the position and DOP that the
// queries answer after each message.
std::vector<std::string> Records(const Receiver& r, const Bytes& stream) {
  Em_Gnss gnss(r.manufacturer, r.board);
  gnss.Set_GNSS_ParseNmea(r.parse_nmea);
  struct Context {
    Em_Gnss* gnss;
    std::vector<std::string> records;
  } context{&gnss, {}};
  const _CALLBACKS_RECEIVER callbacks = {
      [](Msg_Type kind, unsigned int flags, const void* user) {
        auto& c = *static_cast<Context*>(const_cast<void*>(user));
        POS_INFO pos{};
        c.gnss->Get_Gnss_Pos(&pos);
        Dops dops{};
        c.gnss->Get_Gnss_Dops(&dops);
        char line[160];
        std::snprintf(line, sizeof line, "%d %08x %.9f %.9f %.3f %.2f", static_cast<int>(kind), flags,
                      pos.latitude, pos.longitude, pos.height, dops.hdop);
        c.records.push_back(line);
      },
      nullptr};
  gnss.Reg_Callbacks(&callbacks, &context);
  const RecvBuffer& rx = *EmGnssTestAccess::Engine(gnss)->rx;
  // Blocks of an odd size; after each, ParseData until the buffer stops
  // shrinking (a rejected candidate ends a call).
  Bytes padded = stream;
  padded.insert(padded.end(), 2100, 'x');  // lets a false header at the end be refused
  for (std::size_t at = 0; at < padded.size(); at += 997) {
    Bytes block(padded.begin() + static_cast<long>(at),
                padded.begin() + static_cast<long>(std::min(padded.size(), at + 997)));
    gnss.RcvData(block.data(), static_cast<unsigned>(block.size()));
    for (int left = -1, calls = 0; left != rx.Fill() - rx.Mark() && calls < 100000; ++calls) {
      left = rx.Fill() - rx.Mark();
      gnss.ParseData();
    }
  }
  return context.records;
}

std::vector<Bytes> SimFrames(Sim::Family family) {
  Sim::StreamOptions options;
  options.seconds = 20;
  return Sim::ComposeStream(family, options).frames;
}

// The frames of a capture, as the independent scan finds them.
std::vector<Bytes> CaptureFrames(const std::string& name, const std::vector<FrameKind>& kinds) {
  const std::string text = Testing::ReadFile(Testing::CapturePath(name));
  const Bytes bytes(text.begin(), text.end());
  std::vector<Bytes> frames;
  for (const Testing::Found& f : Testing::ScanFrames(bytes, kinds))
    frames.emplace_back(bytes.begin() + static_cast<long>(f.offset),
                        bytes.begin() + static_cast<long>(f.offset + f.length));
  return frames;
}

// Each kind of garbage, three seeds each: the records of the clean stream,
// and the independent scan of the noisy stream finds exactly the frames.
void ExpectNothingLost(const Receiver& r, const std::vector<Bytes>& frames, const std::string& source) {
  ASSERT_FALSE(frames.empty()) << source;
  Bytes clean;
  for (const Bytes& f : frames) clean.insert(clean.end(), f.begin(), f.end());
  const std::vector<std::string> expected = Records(r, clean);
  ASSERT_FALSE(expected.empty()) << source;
  for (Garbage g : {Garbage::kRandom, Garbage::kFalseSyncs, Garbage::kFalseHeader}) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE(std::string(r.what) + ", " + source + ", " + Name(g) + ", seed " + std::to_string(seed));
      NoisyStream noisy(r, g, seed);
      const Bytes s = noisy.Build(frames);
      const std::vector<Testing::Found> found = Testing::ScanFrames(s, r.kinds);
      ASSERT_EQ(found.size(), frames.size());
      const std::vector<std::string> got = Records(r, s);
      std::size_t same = 0;
      while (same < got.size() && same < expected.size() && got[same] == expected[same]) ++same;
      EXPECT_EQ(got.size(), expected.size());
      EXPECT_EQ(same, expected.size()) << "first difference at record " << same << " of " << expected.size()
                                       << (same < got.size() ? ": " + got[same] : std::string());
    }
  }
}

Bytes NovAtelFalseHeader() {
  Bytes h = {0xAA, 0x44, 0x12, 0x1C, 0x2A, 0x00, 0x02, 0x20, 0x48, 0x00};  // BESTPOS claiming 72 bytes
  h.resize(28, 0x11);
  return h;
}

const Receiver kNovAtelBoard = {"standard engine, NovAtel board", GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL, true,
                                {FrameKind::kNovAtel, FrameKind::kNmeaAll, FrameKind::kRtcm3, FrameKind::kCmr},
                                NovAtelFalseHeader(), 8};

TEST(NoiseRecovery, StandardEngineNovAtelBoard) {
  ExpectNothingLost(kNovAtelBoard, SimFrames(Sim::Family::kNovAtel), "simulated logs");
  const std::vector<Bytes> capture = CaptureFrames("oemv_200911218.gps", {FrameKind::kNovAtel});
  if (!capture.empty()) ExpectNothingLost(kNovAtelBoard, capture, "oemv_200911218.gps");
}

TEST(NoiseRecovery, StandardEngineRtcm3) {
  Receiver r = kNovAtelBoard;
  r.false_header = {0xD3, 0x03, 0xFF};
  r.random_at = 2;
  ExpectNothingLost(r, SimFrames(Sim::Family::kRtcm), "simulated RTCM 3");
  const std::vector<Bytes> capture = CaptureFrames("testglo.rtcm3", {FrameKind::kRtcm3});
  if (!capture.empty()) ExpectNothingLost(r, capture, "testglo.rtcm3");
}

TEST(NoiseRecovery, StandardEngineNmeaBoards) {
  const Receiver r = {"standard engine, NMEA board", GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND, true,
                      {FrameKind::kNmeaAll}, B("$GPGSA,1,2"), 9};
  ExpectNothingLost(r, SimFrames(Sim::Family::kNmea), "simulated NMEA");
  for (const auto& log : Testing::NmeaCaptures(Testing::CapturePath(""))) {
    std::vector<Bytes> frames;
    for (const std::string& s : log.second) frames.push_back(B(s + "\r\n"));
    ExpectNothingLost(r, frames, log.first);
  }
}

TEST(NoiseRecovery, StandardEngineTrimbleBoard) {
  const Receiver r = {"standard engine, Trimble board", GNSS_MNFCTR_OEM_BOARD, OEM_TRIMBLE, true,
                      {FrameKind::kTrimble, FrameKind::kNmeaGpGl, FrameKind::kRtcm3Short},
                      {0x02, 0x00, 0x40, 0xF0}, 3};
  std::vector<Bytes> frames;
  for (int i = 0; i < 40; ++i) {
    for (const Sim::Frame& page : Sim::GsofMessage({Sim::GsofLlh(0.5 + i * 1e-6, 2.1, 30 + i),
                                                    Sim::GsofDop(1.5f, 0.8f + 0.01f * i, 1.2f, 0.9f)},
                                                   static_cast<std::uint8_t>(i)))
      frames.push_back(page);
    Sim::NmeaFix fix;
    fix.second = i;
    fix.latitude_deg = 31 + i * 1e-4;
    frames.push_back(B(Sim::NmeaGga(fix)));
  }
  ExpectNothingLost(r, frames, "simulated GSOF and NMEA");
}

TEST(NoiseRecovery, StandardEngineHemisphereBoard) {
  const Receiver r = {"standard engine, Hemisphere board", GNSS_MNFCTR_OEM_BOARD, OEM_HEMISPHERE, true,
                      {FrameKind::kHemisphereBin, FrameKind::kHemisphereReply, FrameKind::kNmeaGpGl},
                      {'$', 'B', 'I', 'N', 0x01, 0x00, 0x20, 0x00}, 6};
  std::vector<Bytes> frames;
  for (int i = 0; i < 40; ++i) {
    Sim::HemispherePositionFields p;
    p.sats_used = static_cast<std::uint8_t>(5 + i % 7);
    p.latitude = 31.0 + i * 1e-4;
    frames.push_back(Sim::HemispherePosition(p));
    Sim::HemisphereDopFields d;
    d.hdop = 0.5f + 0.1f * static_cast<float>(i);
    frames.push_back(Sim::HemisphereDops(d));
    if (i % 10 == 0) frames.push_back(B(Sim::HemisphereReply("JSHOW,ELEVMASK," + std::to_string(5 + i / 10))));
  }
  ExpectNothingLost(r, frames, "simulated $BIN and replies");
}

TEST(NoiseRecovery, LegacyEngine) {
  // A NovAtel board's logs in RG frames of up to 200 bytes.
  const Receiver r = {"legacy engine, NovAtel board", GNSS_MNFCTR_NORVIK, OEM_NOVATEL, true,
                      {FrameKind::kLegacy}, B("$$RG\x18\xF0"), 5};
  std::vector<Bytes> frames;
  for (const Bytes& log : SimFrames(Sim::Family::kNovAtel)) {
    for (std::size_t at = 0; at < log.size(); at += 200)
      frames.push_back(B(Frame("RG", std::string(log.begin() + static_cast<long>(at),
                                                 log.begin() + static_cast<long>(std::min(log.size(), at + 200))))));
  }
  ExpectNothingLost(r, frames, "simulated logs in RG frames");

  // The software receiver's logs beside legacy frames.
  const Receiver soft = {"legacy engine, software receiver", GNSS_MNFCTR_NORVIK, OEM_SOFT_RECEIVER, true,
                         {FrameKind::kLegacy, FrameKind::kNovAtel}, NovAtelFalseHeader(), 8};
  std::vector<Bytes> logs;
  for (const Bytes& f : SimFrames(Sim::Family::kNovAtel))
    if (f[0] == 0xAA) logs.push_back(f);
  ExpectNothingLost(soft, logs, "simulated logs");
}

TEST(NoiseRecovery, NewProtocolEngine) {
  const Receiver r = {"new-protocol engine", GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO, true,
                      {FrameKind::kTransport, FrameKind::kGgaLine}, {'$', '$', 0x01, 0x00, 0xF0}, 4};
  Sim::NewProtoLink link;
  std::vector<Bytes> frames;
  for (int i = 0; i < 40; ++i) {
    const Bytes packet = Sim::NewProtoPacket(
        14, {{0x040A, Sim::ItemValue().F64(1.0 + i).F64(2).F64(3).U32(4).bytes()}});
    const Bytes wire = link.Frames(packet, 30);
    for (const Testing::Found& f : Testing::ScanFrames(wire, {FrameKind::kTransport}))
      frames.emplace_back(wire.begin() + static_cast<long>(f.offset),
                          wire.begin() + static_cast<long>(f.offset + f.length));
    Sim::NmeaFix fix;
    fix.second = i;
    frames.push_back(B(Sim::NmeaGga(fix)));
  }
  ExpectNothingLost(r, frames, "simulated packets and GGA lines");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
