// Em_Gnss: the board-level command operations. Each forwards to one engine
// operation, which builds the packets itself or asks the board adapter.
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {
// Elevation-mask settings from the facade apply to every satellite system.
constexpr unsigned int kAllSystems = 4;
}  // namespace

void Em_Gnss::Get_Gnss_Inite(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->Init(cmds);
}

void Em_Gnss::Get_Gnss_StartBase(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->StartBase(cmds);
}

void Em_Gnss::Get_Gnss_StartRover(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->StartRover(cmds);
}

void Em_Gnss::Get_Gnss_Reset(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->Reset(cmds);
}

void Em_Gnss::Set_Gnss_ElevDgre(unsigned int degrees, std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->SetElevMask(cmds, degrees, 0.0, 0, kAllSystems);
}

void Em_Gnss::Set_Gnss_PosFrq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate) {
  if (engine != nullptr) engine->SetPosRate(cmds, rate);
}

void Em_Gnss::Send_Gnss_Obs(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate) {
  if (engine != nullptr) engine->SendObs(cmds, rate);
}

void Em_Gnss::Send_Gnss_Ephemeris(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate) {
  if (engine != nullptr) engine->SendEphemeris(cmds, rate);
}

void Em_Gnss::Send_Gnss_EphemSat(std::vector<_STR_CMD>& cmds, unsigned int prn) {
  if (engine != nullptr) engine->SendEphemSat(cmds, prn);
}

void Em_Gnss::Set_Gnss_Nmea(std::vector<_STR_CMD>& cmds, unsigned int message_mask, GNSS_FRQ rate,
                            unsigned int port) {
  if (engine != nullptr) engine->SetNmea(cmds, message_mask, rate, port);
}

void Em_Gnss::Set_Gnss_SatUse(std::vector<_STR_CMD>& cmds, unsigned int satellite, bool enable,
                              unsigned int extra) {
  if (engine != nullptr) engine->SetSatUse(cmds, satellite, enable, extra);
}

void Em_Gnss::Get_Gnss_ElevMask(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->QueryElevMask(cmds);
}

void Em_Gnss::Send_Gnss_UnlogData(std::vector<_STR_CMD>& cmds) {
  if (engine != nullptr) engine->Unlog(cmds);
}

void Em_Gnss::Send_DiffDataToGnss(std::vector<_STR_CMD>& cmds, unsigned char* data,
                                  unsigned int length) {
  if (engine != nullptr) engine->SendDiffData(cmds, data, length);
}

void Em_Gnss::Get_PassCom_Char(PASSCOMCHAR& out) {
  if (engine != nullptr) engine->PassComChar(out);
}

void Em_Gnss::Get_Cmd_PassCom(std::vector<_STR_CMD>& cmds, unsigned int port) {
  if (engine != nullptr) engine->PassCom(cmds, port);
}

void Em_Gnss::Set_GNSS_ParseNmea(bool on) {
  if (engine != nullptr) engine->SetParseNmea(on);
}

void Em_Gnss::GetCustomCommandPackets(std::vector<_STR_CMD>& cmds, const unsigned char* data,
                                      unsigned int length) {
  if (engine != nullptr) engine->CustomPackets(cmds, data, length);
}

}  // namespace KsParse
}  // namespace Kestrel
