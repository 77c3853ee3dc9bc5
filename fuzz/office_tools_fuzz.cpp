// Fuzz target for what ksgnss rinex and report build on top of the
// decoders: the frame scan, the RINEX converter on a NovAtel stream and on
// RTCM 3 frames (its own 1004/1005 field reads), both files written, and
// the report page. The input is one recording of arbitrary bytes.
#include <cstdint>
#include <cstdio>

#include "tools/frame_audit.h"
#include "tools/report_data.h"
#include "tools/rinex_converter.h"

using namespace Kestrel::KsParse;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* sink = std::fopen("/dev/null", "wb");
  const Tool::FrameAuditResult audit = Tool::AuditFrames(data, size);
  for (bool rtcm : {false, true}) {
    Tool::RinexSettings settings;
    settings.decode.board = 2;
    settings.rtcm = rtcm;
    settings.week = 1562;
    Tool::RinexConverter converter(settings);
    // Two pieces, so that frames cut between Feed calls are exercised too.
    converter.Feed(data, size / 2);
    converter.Feed(data + size / 2, size - size / 2);
    converter.Finish();
    if (sink != nullptr) {
      converter.WriteObservations(sink);
      converter.WriteNavigation(sink);
    }
  }
  Tool::ReportCollector collector;
  Tool::DecodeSettings settings;
  settings.board = 2;
  settings.parse_nmea = true;
  settings.mode = Tool::OutputMode::kQuiet;
  settings.listener = &collector;
  {
    Tool::DecodeSession session(settings, nullptr);
    session.Feed(data, size);
    session.Finish();
  }
  Tool::ReportSource source;
  source.bad_frames = audit.bad_frames;
  source.stray_bytes = audit.stray_bytes;
  volatile std::size_t length = Tool::ReportPage(collector, source).size();
  (void)length;
  return 0;
}
