// One receiver object fed with a byte stream the way an application feeds it:
// blocks to RcvData, ParseData after each, and one output record per callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <ksparse/ksparse.h>

#include "tools/decode_summary.h"
#include "tools/output.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Sees every callback with the receiver, before the record is printed, so a
// subcommand can query what it needs (ksgnss rinex, ksgnss report).
class DecodeListener {
 public:
  virtual ~DecodeListener() = default;
  virtual void OnCallback(Em_Gnss& gnss, Msg_Type kind, unsigned int flags) = 0;
};

struct DecodeSettings {
  int manufacturer = 1;
  int board = 6;
  bool parse_nmea = false;
  bool set_time_zone = false;
  int time_zone = 0;
  OutputMode mode = OutputMode::kJson;
  DecodeListener* listener = nullptr;  // not owned
};

struct DecodeStats {
  std::uint64_t bytes = 0;      // bytes of input (end-of-input padding not counted)
  std::uint64_t callbacks = 0;
  std::map<unsigned, std::uint64_t> by_kind;
};

class DecodeSession {
 public:
  // The receive buffer reclaims parsed space only once it holds more than
  // 18480 of its 20480 bytes, so after a parse there is always room for
  // 2000 more; larger blocks are handed over in slices of this size, else
  // the receiver would drop everything buffered.
  static constexpr std::size_t kSliceBytes = 2000;
  // Zero bytes appended at the end of input: the engines take a sentence
  // only once up to 306 bytes from its start are buffered, and a false
  // start near the end waits for the up to 2048 bytes it claims before it
  // is refused and the frames behind it are found; without them the last
  // frames of a recording would never be decoded. No reader recognises a
  // zero byte; each is skipped.
  static constexpr std::size_t kEndPadding = 2048;

  // Records go to `out` (nothing for OutputMode::kQuiet; the summary at
  // the end for OutputMode::kSummary).
  DecodeSession(const DecodeSettings& settings, std::FILE* out);
  ~DecodeSession();
  DecodeSession(const DecodeSession&) = delete;
  DecodeSession& operator=(const DecodeSession&) = delete;

  void Feed(const unsigned char* data, std::size_t length);
  // End of input: pads, then parses until nothing more can be taken.
  void Finish();

  const DecodeStats& Stats() const { return stats_; }
  // One line: bytes read and callbacks by kind.
  std::string Summary() const;

 private:
  static void OnMessage(Msg_Type kind, unsigned int value, const void* context);
  void Handle(Msg_Type kind, unsigned int value);
  void Hand(const unsigned char* data, std::size_t length);
  void Drain();

  DecodeSettings settings_;
  std::FILE* out_;
  Em_Gnss gnss_;
  std::unique_ptr<em_obs_t> obs_;
  DecodeStats stats_;
  // The count of the kind last reported (nearly every callback reports the
  // same kind), so that counting costs no map search per callback.
  unsigned last_kind_ = 0;
  std::uint64_t* last_count_ = nullptr;
  DecodeSummary summary_;
  JsonWriter json_;  // the JSON line being written, reused
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
