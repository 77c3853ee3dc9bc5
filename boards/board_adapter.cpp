#include "boards/board_adapter.h"

#include <new>

namespace Kestrel {
namespace KsParse {

// Concrete adapters create their command set and decoder with nothrow
// allocation; the forwarders below do nothing when one of them is missing
// rather than dereference a null pointer.
BoardAdapter::BoardAdapter() : frame(new (std::nothrow) FrameBuffer()) {}

BoardAdapter::~BoardAdapter() {
  delete commands;
  delete decoder;
  delete frame;
  commands = nullptr;
  decoder = nullptr;
  frame = nullptr;
}

bool BoardAdapter::ProcessFrame() { return true; }
void BoardAdapter::StartBase(CommandList& cmds) { if (commands != nullptr) commands->StartBase(cmds); }
void BoardAdapter::StartRover(CommandList& cmds) { if (commands != nullptr) commands->StartRover(cmds); }
void BoardAdapter::Reset(CommandList& cmds) { if (commands != nullptr) commands->Reset(cmds); }
void BoardAdapter::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) {
  if (commands != nullptr) commands->SetElevMask(cmds, degrees, system);
}
void BoardAdapter::SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                             unsigned int extra) {
  if (commands != nullptr) commands->SetSatUse(cmds, satellite, enable, extra);
}
void BoardAdapter::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                           unsigned int port) {
  if (commands != nullptr) commands->SetNmea(cmds, message_mask, rate, port);
}
void BoardAdapter::SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) {
  if (commands != nullptr) commands->SetNmeaList(cmds, list);
}
void BoardAdapter::SetPosRate(CommandList& cmds, GNSS_FRQ rate) { if (commands != nullptr) commands->SetPosRate(cmds, rate); }
void BoardAdapter::SendObs(CommandList& cmds, GNSS_FRQ rate) { if (commands != nullptr) commands->SendObs(cmds, rate); }
void BoardAdapter::SendEphemeris(CommandList& cmds, GNSS_FRQ rate) {
  if (commands != nullptr) commands->SendEphemeris(cmds, rate);
}
void BoardAdapter::SendEphemSat(CommandList& cmds, unsigned int prn) {
  if (commands != nullptr) commands->SendEphemSat(cmds, prn);
}
void BoardAdapter::QueryElevMask(CommandList& cmds) { if (commands != nullptr) commands->QueryElevMask(cmds); }
void BoardAdapter::Unlog(CommandList& cmds) { if (commands != nullptr) commands->Unlog(cmds); }
void BoardAdapter::PassCom(CommandList& cmds, unsigned int port) { if (commands != nullptr) commands->PassCom(cmds, port); }
std::uint32_t BoardAdapter::ReportedElevMask() {
  return decoder != nullptr ? decoder->elev_mask_reported : 0;
}
bool BoardAdapter::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  return decoder != nullptr && decoder->DecodeMessage(data, id, length);
}
bool BoardAdapter::AcceptPassThrough(const unsigned char*, unsigned int, unsigned int) {
  return false;
}

bool IsNmeaStart(const unsigned char* three, const char* talkers) {
  if (three[0] != '$') return false;
  for (const char* t = talkers; t[0] != '\0' && t[1] != '\0'; t += 2) {
    if (three[1] == static_cast<unsigned char>(t[0]) && three[2] == static_cast<unsigned char>(t[1]))
      return true;
  }
  return false;
}

}  // namespace KsParse
}  // namespace Kestrel
