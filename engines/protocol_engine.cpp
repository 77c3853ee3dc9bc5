#include "engines/protocol_engine.h"

#include <cstring>
#include <new>

#include "boards/nmea/nmea_frame.h"

namespace Kestrel {
namespace KsParse {

ProtocolEngine::ProtocolEngine(GNSS_MANUFACTURER maker)
    : manufacturer(maker), rx(new (std::nothrow) RecvBuffer()) {}

ProtocolEngine::~ProtocolEngine() {
  delete adapter;
  adapter = nullptr;
  delete rx;  // resets the buffer and deletes its lock
  rx = nullptr;
}

void ProtocolEngine::ReplaceAdapter(BoardAdapter* next) {
  delete adapter;
  adapter = next;
}

bool ProtocolEngine::HandToAdapter(const unsigned char* bytes, unsigned int count, bool checked) {
  if (adapter == nullptr || adapter->frame == nullptr) return false;
  FrameBuffer& frame = *adapter->frame;
  // A checked sentence for an adapter that decodes it as the frame step
  // would, with nothing held before it: decoded from the engine's bytes.
  if (checked && adapter->decodes_checked_nmea && frame.length == 0 && count != 0 && bytes[0] == '$') {
    return DecodeCheckedNmea(*adapter, bytes, count) && ReportTaken();
  }
  frame.Append(bytes, count);
  // The checks were run on these bytes only: not on a frame that other
  // bytes were held before.
  frame.checked = checked && frame.length == count;
  const bool taken = ProcessHeldFrame();
  frame.checked = false;
  return taken;
}

bool ProtocolEngine::ProcessHeldFrame() {
  return adapter->ProcessFrame() && ReportTaken();
}

bool ProtocolEngine::ReportTaken() {
  last_kind = MSG_GNSS;
  changed_flags = adapter->decoder != nullptr ? adapter->decoder->msg_flags : 0;
  return true;
}

#define KS_DECODER_VALUE(name, field, fallback)        \
  double ProtocolEngine::name() {                      \
    const BoardDecoder* d = Decoder();                 \
    return d != nullptr ? d->field : (fallback);       \
  }

KS_DECODER_VALUE(Latitude, latitude, 0.0)
KS_DECODER_VALUE(Longitude, longitude, 0.0)
KS_DECODER_VALUE(Height, height, 0.0)
KS_DECODER_VALUE(RangeRms, rms, 0.0)
KS_DECODER_VALUE(HorizontalPrecision, sigma_horizontal, 0.0)
KS_DECODER_VALUE(VerticalPrecision, sigma_vertical, 0.0)
KS_DECODER_VALUE(Pdop, pdop, 0.0)
KS_DECODER_VALUE(Hdop, hdop, 0.0)
KS_DECODER_VALUE(Vdop, vdop, 0.0)
KS_DECODER_VALUE(Tdop, tdop, 0.0)
KS_DECODER_VALUE(Gdop, gdop, 0.0)
KS_DECODER_VALUE(SpeedKnots, speed_knots, 0.0)
KS_DECODER_VALUE(CourseRadians, course, 0.0)
KS_DECODER_VALUE(DiffAge, diff_age, -1.0)

#undef KS_DECODER_VALUE

void ProtocolEngine::BaseInfo(BASEINFO& out) {
  if (const BoardDecoder* d = Decoder()) out = d->base_info;
}

void ProtocolEngine::LastGga(unsigned char* buf, unsigned int* length) {
  const BoardDecoder* d = Decoder();
  if (d == nullptr || buf == nullptr || length == nullptr) return;
  const unsigned int n = d->gga_length <= BoardDecoder::kGgaTextSize ? d->gga_length : 0;
  std::memcpy(buf, d->gga_text, n);
  *length = n;
}

std::uint32_t ProtocolEngine::SolutionCode() {
  const BoardDecoder* d = Decoder();
  return d != nullptr ? d->solution_code : 0;
}

void ProtocolEngine::Init(CommandList& cmds) {
  if (adapter != nullptr && adapter->commands != nullptr) adapter->commands->Init(cmds);
}
void ProtocolEngine::StartBase(CommandList& cmds) {
  if (adapter != nullptr) adapter->StartBase(cmds);
}
void ProtocolEngine::StartRover(CommandList& cmds) {
  if (adapter != nullptr) adapter->StartRover(cmds);
}
void ProtocolEngine::Reset(CommandList& cmds) {
  if (adapter != nullptr) adapter->Reset(cmds);
}
void ProtocolEngine::SetElevMask(CommandList& cmds, unsigned int degrees, double, unsigned int,
                                 unsigned int system) {
  if (adapter != nullptr) adapter->SetElevMask(cmds, degrees, system);
}
void ProtocolEngine::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  if (adapter != nullptr) adapter->SetPosRate(cmds, rate);
}
void ProtocolEngine::SendObs(CommandList& cmds, GNSS_FRQ rate) {
  if (adapter != nullptr) adapter->SendObs(cmds, rate);
}
void ProtocolEngine::SendEphemeris(CommandList& cmds, GNSS_FRQ rate) {
  if (adapter != nullptr) adapter->SendEphemeris(cmds, rate);
}
void ProtocolEngine::SendEphemSat(CommandList& cmds, unsigned int prn) {
  if (adapter != nullptr) adapter->SendEphemSat(cmds, prn);
}
void ProtocolEngine::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                             unsigned int port) {
  if (adapter != nullptr) adapter->SetNmea(cmds, message_mask, rate, port);
}
void ProtocolEngine::SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                               unsigned int extra) {
  if (adapter != nullptr) adapter->SetSatUse(cmds, satellite, enable, extra);
}
void ProtocolEngine::QueryElevMask(CommandList& cmds) {
  if (adapter != nullptr) adapter->QueryElevMask(cmds);
}
void ProtocolEngine::Unlog(CommandList& cmds) {
  if (adapter != nullptr) adapter->Unlog(cmds);
}
void ProtocolEngine::PassComChar(PASSCOMCHAR& out) {
  if (const BoardDecoder* d = Decoder()) out = d->pass_com;
}
void ProtocolEngine::PassCom(CommandList& cmds, unsigned int port) {
  if (adapter != nullptr) adapter->PassCom(cmds, port);
}
void ProtocolEngine::SetParseNmea(bool on) {
  if (BoardDecoder* d = Decoder()) d->parse_nmea = on ? 1 : 0;
}
void ProtocolEngine::CustomPackets(CommandList& cmds, const unsigned char* data,
                                   unsigned int length) {
  AppendRawPackets(cmds, data, length, kWaitCustom);
}

void ProtocolEngine::AppendRawPackets(CommandList& cmds, const unsigned char* data,
                                      unsigned int length, std::uint32_t wait) {
  // A null block is taken as empty.
  if (data == nullptr) length = 0;
  unsigned int offset = 0;
  do {
    const unsigned int piece = length - offset < kPacketBytes ? length - offset : kPacketBytes;
    _STR_CMD cmd;
    std::memset(&cmd, 0, sizeof(cmd));
    if (piece != 0) std::memcpy(cmd.buf, data + offset, piece);
    cmd.wait = wait;
    cmd.len = piece;
    cmds.push_back(cmd);
    offset += piece;
  } while (offset < length);
}

}  // namespace KsParse
}  // namespace Kestrel
