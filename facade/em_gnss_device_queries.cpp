// Em_Gnss: what the maker's older receivers reported about themselves, as
// the legacy engine's decoders stored it. Each answer is written only for
// such a receiver, except the battery grade, which a newer receiver gives too.
#include <cstring>

#include <ksparse/em_gnss.h>

#include "engines/legacy_engine.h"
#include "legacy/legacy_frame.h"
#include "newproto/newproto_board_data.h"

namespace Kestrel {
namespace KsParse {

namespace {

// A chunk of a file listing or file read, with its length.
void CopyChunk(const ChunkArea& area, unsigned char* out, int& length) {
  if (out == nullptr) return;
  const std::uint32_t n = area.length < sizeof area.data ? area.length : sizeof area.data;
  std::memcpy(out, area.data, n);
  length = static_cast<int>(n);
}

constexpr int kGradeCharging = 12, kGradeFull = 10;

// The grade of a newer receiver from its power status (the answer to
// Get_Battery): charging state above 1 gives the charging grade, else the
// mean of the two battery levels as reported, in tenths, rounded, at most
// 10. The sum is taken in 64 bits so that no reported level can overflow it.
int NewReceiverGrade(const NewProtoBoardData& d) {
  const std::uint32_t* v = d.power_status.value;
  if (v[0] > 1) return kGradeCharging;
  const std::uint64_t grade = ((std::uint64_t{v[1]} + v[2]) / 2 + 5) / 10;
  return grade < kGradeFull ? static_cast<int>(grade) : kGradeFull;
}

}  // namespace

void Em_Gnss::GetInfo_DevcInfo(DEVICE_STR& info) {
  if (LegacyEngine* e = OlderReceiver()) info = e->device_info;
}

int Em_Gnss::Get_Battery_Grd() {
  if (const NewProtoBoardData* d = NewProtoStore()) return NewReceiverGrade(*d);
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->battery_grade : -1;
}

NV_COM_BAUD_ENUM Em_Gnss::Get_Com_Baudrate() {
  // A newer receiver reports its port speed (item 0x0103) in the codes of
  // NV_COM_BAUD_ENUM; an older one never reports it, so 0 (not known).
  const NewProtoBoardData* d = NewProtoStore();
  return static_cast<NV_COM_BAUD_ENUM>(d != nullptr ? d->port_0103 : 0);
}

void Em_Gnss::Get_Static_Point(Static_Point& point) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  const FbRecord& fb = e->fb;
  point = {};
  point.name_length = fb.text_length < sizeof point.name ? fb.text_length : sizeof point.name;
  std::memcpy(point.name, fb.text, point.name_length);
  point.value = fb.number;
  point.byte_value = fb.byte;
  point.kind = static_cast<std::uint32_t>(fb.state);
}

void Em_Gnss::Get_Static_AntType(char* type) {
  LegacyEngine* e = OlderReceiver();
  if (e != nullptr && type != nullptr) std::memcpy(type, e->ft_text, sizeof e->ft_text);
}

void Em_Gnss::Get_Static_Time(unsigned int& first, unsigned int& second) {
  if (LegacyEngine* e = OlderReceiver()) first = e->fh_pair[0], second = e->fh_pair[1];
}

void Em_Gnss::Get_eBubble_info(unsigned int (&words)[5]) {
  if (LegacyEngine* e = OlderReceiver())
    for (int i = 0; i < 5; ++i) words[i] = e->ff.words[i];
}

void Em_Gnss::Get_Static_FileDir(unsigned char* out, int& length) {
  if (LegacyEngine* e = OlderReceiver()) CopyChunk(e->chunk_fm, out, length);
}

void Em_Gnss::Get_Read_Static_File(unsigned char* out, int& length) {
  if (LegacyEngine* e = OlderReceiver()) CopyChunk(e->chunk_fw, out, length);
}

void Em_Gnss::Get_BasePosition_List(unsigned char* out, int& length) {
  if (LegacyEngine* e = OlderReceiver()) CopyChunk(e->chunk_fj, out, length);
}

void Em_Gnss::Get_BasePosition_Difference(double& difference) {
  LegacyEngine* e = OlderReceiver();
  if (e != nullptr) std::memcpy(&difference, e->fk_pair, sizeof difference);  // the 8 bytes of a double
}

void Em_Gnss::Get_Gprs_DiffInfo(unsigned char* out, int* length) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || out == nullptr || length == nullptr) return;
  const std::uint32_t n = e->rx_length < sizeof e->rx_text ? e->rx_length : sizeof e->rx_text;
  *length = static_cast<int>(n);
  std::memcpy(out, e->rx_text, n);
  // Handed out once.
  std::memset(e->rx_text, 0, sizeof e->rx_text);
  e->rx_length = 0;
}

// Reading or clearing the base-position list starts a new list for the reply.
// Any receiver of the maker is asked; only an older receiver keeps a list
// (the newer one answers through its own protocol).
void Em_Gnss::Get_Cmd_Read_BasePosition_List(std::vector<_STR_CMD>& cmds) {
  if (!IsNorvikManufacturer()) return;
  if (LegacyEngine* e = OlderReceiver()) e->chunk_fj = {};
  Legacy::AppendTemplateCommand(*engine, cmds, "FJ,B1", 100);
}

void Em_Gnss::Get_Cmd_Clear_BasePosition_List(std::vector<_STR_CMD>& cmds) {
  if (!IsNorvikManufacturer()) return;
  if (LegacyEngine* e = OlderReceiver()) e->chunk_fj = {};
  Legacy::AppendTemplateCommand(*engine, cmds, "FJ,B2", 100);
}

}  // namespace KsParse
}  // namespace Kestrel
