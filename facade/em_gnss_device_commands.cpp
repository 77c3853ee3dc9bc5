// Em_Gnss: commands of the maker's older receivers themselves (device
// queries and settings, static survey and its files, base-position list,
// kinematic points, the receiver's own NMEA output). Each appends legacy
// frames to the caller's vector.
//
// Gates: "old" commands are built only for an older receiver (the maker's,
// board other than the new-protocol board); "maker" commands for any of the
// maker's receivers. Commands that the newer receivers know too are built
// as legacy frames for an older receiver and as the matching new-protocol
// packet for a newer one.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <ksparse/em_gnss.h>

#include "boards/gnss_utils.h"
#include "engines/protocol_engine.h"
#include "legacy/board_pass_through.h"
#include "legacy/legacy_frame.h"
#include "legacy/point_record.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitShort = 10;
constexpr std::uint32_t kWaitQuick = 100;
constexpr std::uint32_t kWaitDevice = 200;

// Device-setting ids of the SJ frame.
constexpr unsigned char kSetOutput = 0x28, kSetRecordType = 0x2A, kSetRecordTime = 0x2B,
                        kSetRecordRate = 0x31, kSetMask = 0x32, kSetTransmitPort = 0x3E,
                        kSetTransmitFormat = 0x3F, kSetManualTimeLow = 0x5C, kSetManualTimeHigh = 0x5D,
                        kSetStartType = 0x60, kSetAutoBaseDistance = 0x61;

void Template(const ProtocolEngine& engine, CommandList& cmds, std::uint32_t wait, const char* format, ...) {
  char text[Legacy::kTemplateChars + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Legacy::AppendTemplateCommand(engine, cmds, text, wait);
}

// "XX" followed by one B field per byte: how byte strings travel in templates.
void BytesTemplate(const ProtocolEngine& engine, CommandList& cmds, std::uint32_t wait, const char* id,
                   const void* bytes, std::size_t count) {
  char text[Legacy::kTemplateChars + 1];
  int used = std::snprintf(text, sizeof text, "%s", id);
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < count && used < static_cast<int>(sizeof text) - 5; ++i)
    used += std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ",B%u", b[i]);
  Legacy::AppendTemplateCommand(engine, cmds, text, wait);
}

// One SJ frame: the setting id, then the value bytes.
void DeviceSetting(const ProtocolEngine& engine, CommandList& cmds, unsigned char id,
                   std::initializer_list<unsigned char> value) {
  _STR_CMD record = {};
  record.buf[0] = id;
  for (unsigned char v : value) record.buf[++record.len] = v;
  ++record.len;
  record.wait = kWaitDevice;
  Legacy::FrameRecord(engine, record, "SJ");
  cmds.push_back(record);
}

// One frame around a byte payload; an empty record when the connection
// status allows no frame.
void ByteCommand(const ProtocolEngine& engine, CommandList& cmds, const char* id, const unsigned char* payload,
                 unsigned int length, std::uint32_t wait) {
  _STR_CMD record = {};
  record.wait = wait;
  unsigned int channel = 0;
  if (Legacy::ChannelCode(engine.com_status, &channel))
    Legacy::BuildByteFrame(id, payload, length, record.buf, &record.len, channel);
  cmds.push_back(record);
}

unsigned char Low(unsigned int v) { return static_cast<unsigned char>(v); }

// New-protocol items of the commands both receiver generations know.
constexpr std::uint16_t kItemBaud = 0x0103, kItemPort = 0x0104, kItemPosTime = 0x0410, kItemMagnetometer = 0x041B;

// The admin value of a work mode: the modes the older receivers know, 0
// for any other.
unsigned short WorkMode(unsigned int mode) {
  return static_cast<unsigned short>(mode == 1 || mode == 11 || mode == 12 ? mode : 0);
}

}  // namespace

// ---- queries and plain settings

void Em_Gnss::Get_DeviceInfo(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikManufacturer()) Template(*engine, cmds, kWaitDevice, "SI");
}

void Em_Gnss::Get_Battery(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver())
    Template(*engine, cmds, kWaitDevice, "SD");
  else
    Get_Cmd_System_Power_Status_Query(cmds);
}

void Em_Gnss::Get_CloseReceiver(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver())
    Template(*engine, cmds, kWaitDevice, "SG,B0");
  else
    Get_Cmd_System_Power_Off(cmds);
}

void Em_Gnss::Get_200Data(std::vector<_STR_CMD>& cmds, bool on) {
  if (IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitQuick, "RG,B%d", on ? 200 : 0);
}

void Em_Gnss::Get_Cmd_Com_Baudrate(std::vector<_STR_CMD>& cmds, NV_COM_BAUD_ENUM* baud, NV_COM_PORT_ENUM port) {
  if (baud == nullptr) return;
  if (IsNorvikNewProtocolReceiver()) {
    // The receiver numbers its ports from 1; the enumeration from 0.
    const auto number = static_cast<std::uint16_t>(port + 1), code = static_cast<std::uint16_t>(*baud);
    NewProto::Request(cmds, NewProto::kCodePort, {{kItemPort, &number}, {kItemBaud, &code}}, kItemBaud);
    return;
  }
  if (!IsNorvikOldProtocolReceiver()) return;
  int code = 220;  // 9600 and every speed the receiver has no code for
  switch (*baud) {
    case NV_COM_BAUD_19200: code = 238; break;
    case NV_COM_BAUD_38400: code = 247; break;
    case NV_COM_BAUD_57600: code = 250; break;
    case NV_COM_BAUD_115200: code = 253; break;
    default: break;
  }
  Template(*engine, cmds, kWaitDevice, "SB,B%d", code);
}

void Em_Gnss::Get_Cmd_Position_Frq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate) {
  if (IsNorvikNewProtocolReceiver()) {
    const DataFreq f = {kItemPosTime, static_cast<std::uint16_t>(Gnss::FrqToProtocolRate(rate))};
    Get_Cmd_Gnss_Data_Freq(cmds, f, NV_GNSS_IO_ID_NONE);
    return;
  }
  // The older receiver has no "stop" form of this command: nothing is sent for it.
  if (!IsNorvikOldProtocolReceiver() || rate == GNSS_FRQ_STOP) return;
  const int tenths = rate == GNSS_FRQ_10HZ ? 10 : rate == GNSS_FRQ_5HZ ? 5 : rate == GNSS_FRQ_2HZ ? 2 : 1;
  Template(*engine, cmds, kWaitDevice, "SW,B0,B%d", tenths);
}

void Em_Gnss::Set_eBubble_frq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate) {
  if (IsNorvikNewProtocolReceiver()) {
    // The newer receivers report the bubble through their magnetometer output.
    const DataFreq f = {kItemMagnetometer, static_cast<std::uint16_t>(Gnss::FrqToProtocolRate(rate))};
    Get_Cmd_Gnss_Data_Freq(cmds, f, NV_GNSS_IO_ID_NONE);
    return;
  }
  if (!IsNorvikOldProtocolReceiver()) return;
  Template(*engine, cmds, kWaitQuick, "FF,B%d", rate == GNSS_FRQ_10HZ ? 10 : rate == GNSS_FRQ_1HZ ? 1 : 5);
}

void Em_Gnss::Send_Gprs_DiffInfo(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitDevice, "RX");
}

void Em_Gnss::Get_NvMdl(std::vector<_STR_CMD>& cmds, unsigned int mode) {
  if (IsNorvikNewProtocolReceiver()) Get_Cmd_System_Admin(cmds, WorkMode(mode));
  if (!IsNorvikOldProtocolReceiver()) return;
  if (mode == 1)
    Template(*engine, cmds, kWaitQuick, "ST,B1,B254");
  else
    Template(*engine, cmds, kWaitQuick, "ST,B%u", mode == 11 || mode == 12 ? mode : 0u);
}

// ---- static survey

void Em_Gnss::Set_Static_Begin(std::vector<_STR_CMD>& cmds, bool begin) {
  if (IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitQuick, "FD,B%d", begin ? 0 : 1);
}

void Em_Gnss::Set_Static_Begin(std::vector<_STR_CMD>& cmds, bool begin, unsigned short minutes) {
  if (!IsNorvikOldProtocolReceiver()) return;
  if (begin) {
    DeviceSetting(*engine, cmds, kSetRecordType, {0});
    Set_DevcInfo_ManualRrdTime(cmds, minutes);
  }
  Template(*engine, cmds, kWaitQuick, "FD,B%d", begin ? 0 : 1);
  Template(*engine, cmds, kWaitQuick, "FH,B%d", begin ? 1 : 0);
}

void Em_Gnss::Set_Static_Progress_Enabled(std::vector<_STR_CMD>& cmds, bool on) {
  if (IsNorvikManufacturer()) Template(*engine, cmds, kWaitQuick, "FH,B%d", on ? 1 : 0);
}

void Em_Gnss::Get_Cmd_Static_Point(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitShort, "FB");
}

void Em_Gnss::Set_Static_AnteType(std::vector<_STR_CMD>& cmds, const char* type) {
  if (type != nullptr && IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitShort, "FS,S%s", type);
}

void Em_Gnss::Get_Cmd_Static_AntType(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver()) Template(*engine, cmds, kWaitShort, "FT");
}

void Em_Gnss::Set_Static_Point(std::vector<_STR_CMD>& cmds, Static_Point* point) {
  if (point == nullptr || !IsNorvikOldProtocolReceiver()) return;
  Static_Point p;
  std::memcpy(&p, point, sizeof p);
  const unsigned int name = p.name_length < sizeof p.name ? p.name_length : sizeof p.name;
  _STR_CMD record = {};
  record.buf[0] = static_cast<unsigned char>(name);
  std::memcpy(record.buf + 1, p.name, name);
  for (int i = 0; i < 4; ++i) record.buf[1 + name + i] = static_cast<unsigned char>(p.value >> (8 * i));
  record.buf[name + 5] = p.byte_value;
  record.buf[name + 6] = p.kind == 2 ? 2 : p.kind == 4 ? 3 : 1;
  record.len = name + 7;
  record.wait = kWaitShort;
  Legacy::FrameRecord(*engine, record, "FA");
  cmds.push_back(record);
}

// ---- static files and the base-position list

void Em_Gnss::Get_Cmd_Static_FileDir(std::vector<_STR_CMD>& cmds) {
  if (!IsNorvikManufacturer()) return;
  Template(*engine, cmds, kWaitDevice, "FM");
  Template(*engine, cmds, kWaitDevice, "KC,B170");
}

void Em_Gnss::Get_Cmd_Read_Static_File(std::vector<_STR_CMD>& cmds, unsigned int number) {
  const unsigned char n[4] = {Low(number), Low(number >> 8), Low(number >> 16), Low(number >> 24)};
  if (IsNorvikManufacturer()) BytesTemplate(*engine, cmds, kWaitDevice, "FW", n, sizeof n);
}

void Em_Gnss::Get_Cmd_Delete_Static_File(std::vector<_STR_CMD>& cmds, unsigned int number) {
  const unsigned char n[4] = {Low(number), Low(number >> 8), Low(number >> 16), Low(number >> 24)};
  if (IsNorvikManufacturer()) BytesTemplate(*engine, cmds, kWaitDevice, "FC", n, sizeof n);
}

void Em_Gnss::Get_Cmd_Add_BasePos_To_List(std::vector<_STR_CMD>& cmds, double x, double y, double z) {
  const double xyz[3] = {x, y, z};  // in memory order, little-endian IEEE 754
  if (IsNorvikManufacturer()) BytesTemplate(*engine, cmds, kWaitDevice, "FI", xyz, sizeof xyz);
}

void Em_Gnss::Get_Cmd_Get_BasePosition_Difference(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikManufacturer()) Template(*engine, cmds, kWaitQuick, "FK,B2");
}

void Em_Gnss::Get_Cmd_Set_BasePosition_Difference(std::vector<_STR_CMD>& cmds, double difference) {
  if (IsNorvikManufacturer()) BytesTemplate(*engine, cmds, kWaitQuick, "FK", &difference, sizeof difference);
}

void Em_Gnss::Get_Cmd_Remove_BasePos_From_List(std::vector<_STR_CMD>& cmds, int index) {
  if (IsNorvikManufacturer()) Template(*engine, cmds, kWaitQuick, "FL,B%hu", static_cast<unsigned short>(index));
}

// ---- device settings

void Em_Gnss::Set_DevcInfo_OutPut(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetOutput, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_RrdTp(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetRecordType, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_RrdTime(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetRecordTime, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_RrdFrq(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetRecordRate, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_Mask(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetMask, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_TrsmtPort(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetTransmitPort, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_TrsmtFmat(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetTransmitFormat, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_StrtTp(std::vector<_STR_CMD>& cmds, unsigned int v) {
  if (IsNorvikOldProtocolReceiver()) DeviceSetting(*engine, cmds, kSetStartType, {Low(v)});
}

void Em_Gnss::Set_DevcInfo_AutoBaseDist(std::vector<_STR_CMD>& cmds, unsigned short metres) {
  if (IsNorvikManufacturer()) DeviceSetting(*engine, cmds, kSetAutoBaseDistance, {Low(metres), Low(metres >> 8)});
}

void Em_Gnss::Set_DevcInfo_ManualRrdTime(std::vector<_STR_CMD>& cmds, unsigned short minutes) {
  if (!IsNorvikOldProtocolReceiver()) return;
  DeviceSetting(*engine, cmds, kSetManualTimeLow, {Low(minutes)});
  DeviceSetting(*engine, cmds, kSetManualTimeHigh, {Low(minutes >> 8)});
}

void Em_Gnss::Send_DevcInfo_Update_Str(std::vector<_STR_CMD>& cmds) {
  if (!IsNorvikOldProtocolReceiver()) return;
  const unsigned char payload[2] = {0x01, 0x06};
  ByteCommand(*engine, cmds, "SS", payload, sizeof payload, kWaitQuick);
}

void Em_Gnss::Send_DevcInfo_Update_Crs(std::vector<_STR_CMD>& cmds, unsigned short code, unsigned char* data,
                                       unsigned int) {
  if (data == nullptr || !IsNorvikOldProtocolReceiver()) return;
  unsigned char payload[133] = {0, 0, 0, Low(code >> 8), Low(code)};  // the code high byte first
  std::memcpy(payload + 5, data, 128);
  ByteCommand(*engine, cmds, "SX", payload, sizeof payload, kWaitQuick);
}

// ---- electronic bubble and kinematic points

void Em_Gnss::Set_eBubble_calibration(std::vector<_STR_CMD>& cmds, bool on, int value) {
  if (IsNorvikNewProtocolReceiver()) Send_Magnetometer_Calibration(cmds, on, value);
  if (!IsNorvikOldProtocolReceiver()) return;
  const unsigned int v = static_cast<unsigned int>(value);
  _STR_CMD record = {};
  record.buf[0] = on ? 1 : 0;
  record.buf[1] = Low(v);
  record.buf[2] = Low(v >> 8);
  record.len = 3;
  record.wait = kWaitShort;
  Legacy::FrameRecord(*engine, record, "FG");
  cmds.push_back(record);
}

void Em_Gnss::AppendPointRecord(std::vector<_STR_CMD>& cmds, int kind, const void* point) {
  // A missing point sends nothing.
  const bool older = IsNorvikOldProtocolReceiver();
  if (point == nullptr || (!older && !IsNorvikNewProtocolReceiver())) return;
  unsigned char record[Legacy::kPointArea] = {};
  const int length = Legacy::BuildPointRecord(static_cast<Legacy::PointKind>(kind), point, record);
  if (older) {
    Legacy::FramePieces(*engine, cmds, record, static_cast<std::size_t>(length), "FY", kWaitShort);
  } else if (length > 0) {
    // The newer receivers take the same record as a block for their file.
    const NV_BLOCK_DATA_STRUCT block = {static_cast<std::uint32_t>(length), record};
    Get_Cmd_File_Record_PPK(cmds, &block);
  }
}

void Em_Gnss::Get_Cmd_StartPPKpt(std::vector<_STR_CMD>& cmds, StartPointInfo* point) {
  AppendPointRecord(cmds, static_cast<int>(Legacy::PointKind::kStart), point);
}

void Em_Gnss::Get_Cmd_EndPPKpt(EndPointInfo* point, std::vector<_STR_CMD>& cmds) {
  AppendPointRecord(cmds, static_cast<int>(Legacy::PointKind::kEnd), point);
}

void Em_Gnss::Get_Cmd_AntPPKpt(AntPointInfo* point, std::vector<_STR_CMD>& cmds) {
  AppendPointRecord(cmds, static_cast<int>(Legacy::PointKind::kAntenna), point);
}

}  // namespace KsParse
}  // namespace Kestrel
