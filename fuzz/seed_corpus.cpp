// Writes the seed corpora of the fuzz targets: streams and frames made by
// the project's simulators, each wrapped in the choice bytes its target
// reads (see the comment at the top of each *_fuzz.cpp). Run at build time;
// the campaign and CI's short runs start from these files.
//
//   fuzz_seed_corpus OUTPUT_DIR
//
// creates OUTPUT_DIR/<target>/seed-N for every target.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/legacy_wire.h"
#include "tools/sim/hemisphere_sim.h"
#include "tools/sim/newproto_sim.h"
#include "tools/sim/nmea_sim.h"
#include "tools/sim/stream_composer.h"
#include "tools/sim/trimble_sim.h"

using namespace Kestrel::KsParse;
using Bytes = std::vector<std::uint8_t>;

namespace {

bool MakeDir(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return !error;
}

class Corpus {
 public:
  Corpus(const std::string& root, const char* target) : dir_(root + "/" + target) { ok_ = MakeDir(dir_); }
  void Add(const Bytes& bytes) {
    std::ofstream out(dir_ + "/seed-" + std::to_string(count_++), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ok_ = ok_ && out.good();
  }
  bool ok() const { return ok_; }

 private:
  std::string dir_;
  int count_ = 0;
  bool ok_ = true;
};

Bytes Join(const std::vector<Bytes>& frames, std::size_t limit = 6000) {
  Bytes out;
  for (const Bytes& f : frames) {
    if (out.size() + f.size() > limit) break;
    out.insert(out.end(), f.begin(), f.end());
  }
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Prefixed(std::uint8_t choice, const Bytes& body) {
  // Sized first, then filled: GCC 12 at -O3 misreads an insert behind a
  // one-element initializer list as an out-of-bounds copy.
  Bytes out(body.size() + 1);
  out[0] = choice;
  std::copy(body.begin(), body.end(), out.begin() + 1);
  return out;
}

Bytes Suffixed(const Bytes& body, std::uint8_t choice) {
  Bytes out = body;
  out.push_back(choice);
  return out;
}

Sim::SimStream Stream(Sim::Family family, double noise) {
  Sim::StreamOptions options;
  options.seconds = 4;
  options.noise = noise;
  return Sim::ComposeStream(family, options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !MakeDir(argv[1])) {
    std::fprintf(stderr, "usage: fuzz_seed_corpus OUTPUT_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  const Sim::SimStream nmea = Stream(Sim::Family::kNmea, 0), nmea_noisy = Stream(Sim::Family::kNmea, 0.3);
  const Sim::SimStream novatel = Stream(Sim::Family::kNovAtel, 0), novatel_noisy = Stream(Sim::Family::kNovAtel, 0.3);
  const Sim::SimStream rtcm = Stream(Sim::Family::kRtcm, 0);

  Bytes hemisphere;
  Sim::HemispherePositionFields p;
  p.sats_used = 9, p.week = 2400;
  for (const Sim::Frame& f : {Sim::HemispherePosition(p), Sim::HemisphereDops({}), Sim::HemisphereTimeDops({})})
    hemisphere.insert(hemisphere.end(), f.begin(), f.end());
  const Bytes reply = Text(Sim::HemisphereReply("JSHOW,ELEVMASK,10") + Sim::NmeaGga({}));
  hemisphere.insert(hemisphere.end(), reply.begin(), reply.end());

  Bytes trimble;
  for (const Sim::Frame& page : Sim::GsofMessage({Sim::GsofLlh(0.5, 2.1, 30), Sim::GsofDop(1.5f, 0.8f, 1.2f, 0.9f)}))
    trimble.insert(trimble.end(), page.begin(), page.end());
  const Sim::Frame ack = Sim::DcolPacket(0x06, {});
  trimble.insert(trimble.end(), ack.begin(), ack.end());

  bool ok = true;
  {
    Corpus c(root, "standard_engine_fuzz");  // choice: last byte; boards 1, 2, 4, 5, 6 are 0..4
    c.Add(Suffixed(Join(novatel.frames), 0x31));
    c.Add(Suffixed(Join(novatel_noisy.frames), 0x01));
    c.Add(Suffixed(Join(rtcm.frames), 0x21));
    c.Add(Suffixed(Join(nmea.frames), 0x3C));
    c.Add(Suffixed(Join(nmea_noisy.frames), 0x1B));
    c.Add(Suffixed(trimble, 0x30));
    c.Add(Suffixed(hemisphere, 0x3A));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "legacy_engine_fuzz");  // byte 0: raw mode, board index in bits 1-3
    Bytes rg;
    for (const Bytes& f : novatel.frames) {
      for (std::size_t at = 0; at < f.size(); at += 200) {
        const std::string piece(f.begin() + static_cast<long>(at), f.begin() + static_cast<long>(std::min(f.size(), at + 200)));
        const std::string frame = Frame("RG", piece);
        rg.insert(rg.end(), frame.begin(), frame.end());
      }
      if (rg.size() > 6000) break;
    }
    c.Add(Prefixed(0x32, rg));  // NovAtel board
    c.Add(Prefixed(0x04 | 0x30, Join(novatel.frames)));  // software receiver: logs outside legacy frames
    const std::string status = Frame("SD", std::string(40, '\x01')) + Frame("SI", std::string(55, 'K')) +
                               Frame("VI", Reply(0x21, "OK")) + Frame("RG", Sim::HemisphereReply("JSHOW,ELEVMASK,5"));
    c.Add(Prefixed(0x36, Text(status)));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "newproto_engine_fuzz");  // byte 0 bit 0 clear: raw stream
    Sim::NewProtoLink link;
    Bytes packets = Sim::NewProtoPacket(15, {{0x0303, Sim::ItemValue().U16(3).bytes()}});
    const Bytes second = Sim::NewProtoPacket(3, {{0x0103, Sim::ItemValue().U16(1).bytes()}});
    packets.insert(packets.end(), second.begin(), second.end());
    Bytes stream = link.Frames(packets, 40);
    const Bytes gga = Text(Sim::NmeaGga({}));
    stream.insert(stream.end(), gga.begin(), gga.end());
    c.Add(Prefixed(0x20, stream));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "nmea_fuzz");
    c.Add(Join(nmea.frames, 3000));
    for (std::size_t i = 0; i < nmea.frames.size() && i < 12; ++i) c.Add(nmea.frames[i]);
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "novatel_fuzz");  // byte 0: bit 1 stream, bits 2-7 block size
    c.Add(Prefixed(0x42, Join(novatel.frames)));
    c.Add(Prefixed(0x02, Join(novatel_noisy.frames)));
    for (std::size_t i = 0; i < novatel.frames.size() && i < 12; ++i) c.Add(Prefixed(0x00, novatel.frames[i]));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "rtcm_fuzz");  // one frame
    for (std::size_t i = 0; i < rtcm.frames.size() && i < 16; ++i) c.Add(rtcm.frames[i]);
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "trimble_fuzz");  // byte 0: bit 1 stream
    c.Add(Prefixed(0x00, trimble));
    c.Add(Prefixed(0x42, trimble));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "hemisphere_fuzz");  // byte 0: bit 1 stream
    c.Add(Prefixed(0x00, hemisphere));
    c.Add(Prefixed(0x12, hemisphere));
    ok = ok && c.ok();
  }
  {
    Corpus c(root, "office_tools_fuzz");  // a whole recording: NovAtel logs, RTCM 3, NMEA
    c.Add(Join(novatel.frames));
    c.Add(Join(rtcm.frames));
    c.Add(Join(nmea.frames, 3000));
    ok = ok && c.ok();
  }
  if (!ok) {
    std::fprintf(stderr, "fuzz_seed_corpus: cannot write under %s\n", root.c_str());
    return 1;
  }
  return 0;
}
