// Em_Gnss: the one object an application creates per connected receiver.
//
// Threading contract: two application threads may share one Em_Gnss. The
// reader thread calls only RcvData; every other operation, and every
// callback, runs on the working thread that calls ParseData (or is
// serialised with it by the application). Only the receive buffer is shared
// between the two, under its own lock.
#pragma once

#include <cstdint>
#include <vector>

#include <ksparse/export.h>
#include <ksparse/legacy_records.h>
#include <ksparse/modem_records.h>
#include <ksparse/nav_records.h>
#include <ksparse/newproto_records.h>
#include <ksparse/survey_records.h>
#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {

class ProtocolEngine;
class LegacyEngine;
class NewProtoBoardData;
struct EmGnssTestAccess;

class KSPARSE_API Em_Gnss {
 public:
  // Chooses the protocol engine: manufacturer 1 the board's own language,
  // manufacturer 2 with board 8 the new protocol, anything else the legacy
  // protocol. Then selects the board adapter for `board`.
  Em_Gnss(GNSS_MANUFACTURER manufacturer, MAINBD_OEM_TYPE board);
  ~Em_Gnss();
  // Copying would share the engine between two objects and free it twice,
  // so it is not offered.
  Em_Gnss(const Em_Gnss&) = delete;
  Em_Gnss& operator=(const Em_Gnss&) = delete;

  // ---- engine and board
  // Replaces the engine (1: board language, else legacy); the new engine has
  // no board adapter until Reset_GnsMd. Buffered bytes and decoded data are
  // lost; the channel status is kept.
  void Reset_Mnfctr(GNSS_MANUFACTURER manufacturer);
  GNSS_MANUFACTURER Get_Mnfctr();
  bool IsNorvikManufacturer();
  bool IsNorvikNewProtocolReceiver();
  bool IsNorvikOldProtocolReceiver();
  bool Reset_GnsMd(MAINBD_OEM_TYPE board);
  MAINBD_OEM_TYPE Get_GnsMd();
  MAINBD_OEM_TYPE GetMainBdType();

  // ---- callbacks, receive path, parse loop
  // A null context keeps the stored one. `callbacks` must not be null.
  void Reg_Callbacks(const _CALLBACKS_RECEIVER* callbacks, const void* user_context);
  void IsOemChanged(bool flag);
  // Reader thread: appends a block to the receive buffer. A block that does
  // not fit empties the buffer.
  void RcvData(unsigned char* data, unsigned int len);
  // Working thread: parses every complete frame, calling on_message once per
  // decoded message with a non-zero value.
  void ParseData();
  // Working thread: bytes received and not yet consumed by a parse step
  // (an incomplete frame, or what follows a rejected one). ParseData stops
  // at a rejected frame, so a caller that wants all it can take calls it
  // again while this count falls; once a call leaves it unchanged, nothing
  // more is taken until more bytes arrive. 0 without an engine.
  unsigned int Get_BufferedBytes();
  void Get_RevMsg(Msg_Type* kind, unsigned long* value);
  void Data_Clear();
  void Set_Com_Status(Com_Status status);
  Com_Status Get_Com_Status();

  // ---- settings records of the board adapter
  const Base_Config* Get_Gnss_BsCfg();
  void Set_Gnss_BsCfg(const Base_Config& config);
  const Rover_Config* Get_Gnss_RvCfg();
  void Set_Gnss_RvCfg(const Rover_Config& config);

  // ---- raw recording: every received block written to a file as it came
  // A null path records to a file named after the current time.
  void SetRcrdData(bool on, const char* path);

  // ---- navigation queries
  void Get_Gnss_Pos(POS_INFO* pos);
  void Get_Gnss_Time(Time_Str* time);
  void Get_Gnss_SatInfo(int system, unsigned int* count, SATLLITE_STR* out);
  void Get_Gnss_SatUse(int system, SAT_USE* use);
  void Get_Gnss_SatTypeNum(int& count);
  unsigned long GetInfo_Gnss_Solutions();
  void Get_Gnss_Dops(Dops* dops);
  void Get_Gnss_Precision(Precisions* precision);
  void Get_Gnss_Gprmc(double& speed_knots, double& course_radians);
  void Get_Gnss_Gpgga(unsigned char* buf, unsigned int* len);
  void Get_Gnss_Baseinfo(BASEINFO& base);
  void Set_TimeZone(int zone);
  int Get_TimeZone();
  void Get_Gnss_Ephemeris(unsigned int* system, em_eph_t* eph);
  void Get_Gnss_Obs_t(em_obs_t* obs);
  void Get_Gnss_Trsinfo(TRSMT_INFO& info);
  void Get_FirmWare_Db(unsigned long key, FIRMWARE_DEBUG& record);
  // The elevation mask that the board last reported (0 without a board).
  unsigned int Get_Gnss_ElevMask();
  unsigned int GetInfo_Gnss_ElevMask();

  // ---- board commands, appended to the caller's vector
  void Get_Gnss_Inite(std::vector<_STR_CMD>& cmds);
  void Get_Gnss_StartBase(std::vector<_STR_CMD>& cmds);
  void Get_Gnss_StartRover(std::vector<_STR_CMD>& cmds);
  void Get_Gnss_Reset(std::vector<_STR_CMD>& cmds);
  void Set_Gnss_ElevDgre(unsigned int degrees, std::vector<_STR_CMD>& cmds);
  void Set_Gnss_PosFrq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate);
  void Send_Gnss_Obs(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate);
  void Send_Gnss_Ephemeris(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate);
  void Send_Gnss_EphemSat(std::vector<_STR_CMD>& cmds, unsigned int prn);
  void Set_Gnss_Nmea(std::vector<_STR_CMD>& cmds, unsigned int message_mask, GNSS_FRQ rate,
                     unsigned int port);
  void Set_Gnss_SatUse(std::vector<_STR_CMD>& cmds, unsigned int satellite, bool enable,
                       unsigned int extra);
  void Get_Gnss_ElevMask(std::vector<_STR_CMD>& cmds);
  void Send_Gnss_UnlogData(std::vector<_STR_CMD>& cmds);
  void Send_DiffDataToGnss(std::vector<_STR_CMD>& cmds, unsigned char* data, unsigned int length);
  void Get_PassCom_Char(PASSCOMCHAR& out);
  void Get_Cmd_PassCom(std::vector<_STR_CMD>& cmds, unsigned int port);
  void Set_GNSS_ParseNmea(bool on);
  // ---- the maker's older receivers: device commands, appended to the
  // caller's vector (nothing for other receivers)
  void Get_DeviceInfo(std::vector<_STR_CMD>& cmds);
  void Get_Battery(std::vector<_STR_CMD>& cmds);
  void Get_CloseReceiver(std::vector<_STR_CMD>& cmds);
  void Get_200Data(std::vector<_STR_CMD>& cmds, bool on);
  void Get_Cmd_Com_Baudrate(std::vector<_STR_CMD>& cmds, NV_COM_BAUD_ENUM* baud, NV_COM_PORT_ENUM port);
  void Get_Cmd_Position_Frq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate);
  void Set_eBubble_frq(std::vector<_STR_CMD>& cmds, GNSS_FRQ rate);
  void Set_eBubble_calibration(std::vector<_STR_CMD>& cmds, bool on, int value);
  void Send_Gprs_DiffInfo(std::vector<_STR_CMD>& cmds);
  void Get_NvMdl(std::vector<_STR_CMD>& cmds, unsigned int mode);
  void Set_Static_Begin(std::vector<_STR_CMD>& cmds, bool begin);
  // Begins with a manual recording time of `minutes`.
  void Set_Static_Begin(std::vector<_STR_CMD>& cmds, bool begin, unsigned short minutes);
  void Set_Static_Progress_Enabled(std::vector<_STR_CMD>& cmds, bool on);
  void Get_Cmd_Static_Point(std::vector<_STR_CMD>& cmds);
  void Set_Static_Point(std::vector<_STR_CMD>& cmds, Static_Point* point);
  void Set_Static_AnteType(std::vector<_STR_CMD>& cmds, const char* type);
  void Get_Cmd_Static_AntType(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Static_FileDir(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Read_Static_File(std::vector<_STR_CMD>& cmds, unsigned int number);
  void Get_Cmd_Delete_Static_File(std::vector<_STR_CMD>& cmds, unsigned int number);
  void Get_Cmd_Add_BasePos_To_List(std::vector<_STR_CMD>& cmds, double x, double y, double z);
  void Get_Cmd_Get_BasePosition_Difference(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Set_BasePosition_Difference(std::vector<_STR_CMD>& cmds, double difference);
  void Get_Cmd_Remove_BasePos_From_List(std::vector<_STR_CMD>& cmds, int index);
  // Reading or clearing the list also forgets the list held so far.
  void Get_Cmd_Read_BasePosition_List(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Clear_BasePosition_List(std::vector<_STR_CMD>& cmds);
  void Set_DevcInfo_OutPut(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_RrdTp(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_RrdTime(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_RrdFrq(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_Mask(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_TrsmtPort(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_TrsmtFmat(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_StrtTp(std::vector<_STR_CMD>& cmds, unsigned int v);
  void Set_DevcInfo_AutoBaseDist(std::vector<_STR_CMD>& cmds, unsigned short metres);
  void Set_DevcInfo_ManualRrdTime(std::vector<_STR_CMD>& cmds, unsigned short minutes);
  void Send_DevcInfo_Update_Str(std::vector<_STR_CMD>& cmds);
  // Sends `code` and the 128 bytes at `data`; the last argument is not read.
  void Send_DevcInfo_Update_Crs(std::vector<_STR_CMD>& cmds, unsigned short code, unsigned char* data,
                                unsigned int length);
  void Get_Cmd_StartPPKpt(std::vector<_STR_CMD>& cmds, StartPointInfo* point);
  void Get_Cmd_EndPPKpt(EndPointInfo* point, std::vector<_STR_CMD>& cmds);
  void Get_Cmd_AntPPKpt(AntPointInfo* point, std::vector<_STR_CMD>& cmds);
  // The receiver's own NMEA output: the board's sentences, then the sentence
  // mask at `rate`; the second form also sends each sentence's rate.
  void Set_Norvik_NMEA(std::vector<_STR_CMD>& cmds, std::vector<_set_nmea>& list, int rate);
  void Set_Norvik_NMEA(std::vector<_STR_CMD>& cmds, std::vector<_set_nmea>& list, int rate, bool flag);

  // ---- correction caster login through an older receiver's modem
  // The NTRIP request, in VL frames of at most 55 characters.
  void Set_Cors_Login(std::vector<_STR_CMD>& cmds, const cors_info& info);
  // Stores the credentials for the modem's automatic login (mode 1 "M",
  // mode 2 "m", any other "-"); nothing when the three texts reach 50
  // characters together.
  void Set_Cors_Info_Auto(std::vector<_STR_CMD>& cmds, const cors_info& info, unsigned int mode);
  void Send_Cors_Info_Auto(std::vector<_STR_CMD>& cmds);

  // What an older receiver reported (nothing is written for other receivers).
  void GetInfo_DevcInfo(DEVICE_STR& info);
  // 0 to 10, 12 while charging; -1 for other receivers.
  int Get_Battery_Grd();
  void Get_Static_Point(Static_Point& point);
  // The antenna type: 21 bytes, NUL-terminated.
  void Get_Static_AntType(char* type);
  void Get_Static_Time(unsigned int& first, unsigned int& second);
  void Get_eBubble_info(unsigned int (&words)[5]);
  // The last chunk (up to 55 bytes) of a directory listing, a file read, the
  // base-position list.
  void Get_Static_FileDir(unsigned char* out, int& length);
  void Get_Read_Static_File(unsigned char* out, int& length);
  void Get_BasePosition_List(unsigned char* out, int& length);
  void Get_BasePosition_Difference(double& difference);
  // The port speed a newer receiver last reported; 0 when none is known.
  NV_COM_BAUD_ENUM Get_Com_Baudrate();
  // The last differential-link text (up to 200 bytes), handed out once.
  void Get_Gprs_DiffInfo(unsigned char* out, int* length);

  // ---- the GPRS modem of an older receiver (nothing for other receivers)
  // Asks for the modem's version; false until the receiver's device
  // information has been read.
  bool Send_Gprs_Version(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_Info(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_Signal(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Modem_Signal_Intensity_Query(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_Status(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_Eroinfo(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_Reset(std::vector<_STR_CMD>& cmds);
  void Get_Gprs_CosMdl(std::vector<_STR_CMD>& cmds);
  void Set_Gprs_CosMdl(std::vector<_STR_CMD>& cmds, unsigned int mode);
  void Send_Gprs_DisConct(std::vector<_STR_CMD>& cmds);
  void Set_GSM_NumInfo(std::vector<_STR_CMD>& cmds, const char* number);
  void Set_Gprs_Ip(std::vector<_STR_CMD>& cmds, IP_ADRES address, unsigned int port, Protocol_Net protocol);
  void Set_Gprs_SvcInfo(std::vector<_STR_CMD>& cmds, SvcInfo info);
  void Set_Gprs_Modle(std::vector<_STR_CMD>& cmds, Gprs_Modle model);
  void Set_Gprs_BaseId(std::vector<_STR_CMD>& cmds, const unsigned char* id, unsigned int length);
  // The modem's text list, then the VM request that reads it back.
  void Send_Gprs_GetList(std::vector<_STR_CMD>& cmds);
  void Send_Dial_Prtl(std::vector<_STR_CMD>& cmds);
  void Set_Dial_Prtl(std::vector<_STR_CMD>& cmds, unsigned int protocol);
  void Set_Radio_Mdl(std::vector<_STR_CMD>& cmds, Rdo_Mdl model);
  // What the modem reported: -1 (or -1.0, 0 for the dial protocol) for a
  // receiver without this modem.
  int GetInfo_Gprs_Signa();  // signal bars, 0 to 6
  int GetInfo_Gprs_Status();
  int GetInfo_Gprs_Eroinfo();
  int GetInfo_Gprs_CosMdl();
  double GetInfo_Gprs_Version();
  int Get_Dial_Prtl();
  // Copies the modem's text list (up to 2048 bytes) and its length.
  void Get_Gprs_GetList(char* out, int* length);
  void Get_Cors_Info_Auto(cors_info& info, int& mode);
  void GetInfo_Gprs_Info(WirelessInfo& info);

  // ---- the UHF radio of an older receiver. Commands return 1 when
  // appended, 0 when the radio type has no such command.
  int Set_Radio_Power(std::vector<_STR_CMD>& cmds, Radio_Power power);
  int Get_Radio_Power(std::vector<_STR_CMD>& cmds);
  int Set_Radio_Baudrate(std::vector<_STR_CMD>& cmds, Radio_Baudrate baud);
  int Get_Cmd_Radio_Baudrate(std::vector<_STR_CMD>& cmds);
  // 0 before the device information, 1 before the modem version, -1 for an
  // unknown radio type, 2 when the query was appended.
  int Get_Radio_Frq(std::vector<_STR_CMD>& cmds);
  int Set_Radio_Frq(std::vector<_STR_CMD>& cmds, double mhz);
  int Set_Radio_Sensitivity(std::vector<_STR_CMD>& cmds, Rdo_Sensitv sensitivity);
  int Get_Cmd_Radio_Sensitivity(std::vector<_STR_CMD>& cmds);
  int Set_Radio_FEC(std::vector<_STR_CMD>& cmds, bool on);
  int Get_Cmd_Radio_FEC(std::vector<_STR_CMD>& cmds);
  int Set_Radio_ChannelSpace(std::vector<_STR_CMD>& cmds, Channel_Space space);
  int Get_Cmd_Radio_ChannelSpace(std::vector<_STR_CMD>& cmds);
  int Set_Radio_Callsign(std::vector<_STR_CMD>& cmds, Radio_Callsign callsign);
  int Get_Cmd_Radio_Callsign(std::vector<_STR_CMD>& cmds);
  void Set_Radio_Channel_Freq(std::vector<_STR_CMD>& cmds, int channel, double mhz, Channel_Space space);
  void Query_Radio_ChannelList_Type(std::vector<_STR_CMD>& cmds);
  void Set_Radio_Channel_Type(std::vector<_STR_CMD>& cmds, int channel, Rdo_Channel_Type type);
  void Query_Radio_ChannelList_Freq(std::vector<_STR_CMD>& cmds);
  void Set_Radio_Channel0_Enabled(std::vector<_STR_CMD>& cmds, bool enabled);
  // What the radio reported.
  void Get_Radio_ChannelList_Type(std::vector<int>& types);
  void Get_Radio_ChannelList_Freq(std::vector<double>& frequencies);
  // 0, 1, -1 as Get_Radio_Frq; 2 when filled.
  int Get_Radio_Range(Radio_Range& range);
  int Get_Radio_Info(Radio_Info& info);
  int Get_Radio_Power();
  int Get_Radio_Baudrate();
  int Get_Transmit_Mdl();
  double Get_Radio_Frq();
  void Get_Radio_Sensitivity(int& sensitivity);
  void Get_Radio_FEC(bool& on);
  void Get_Radio_Callsign(Radio_Callsign& callsign);
  void Get_Radio_ChannelSpace(int& space);

  // ---- receivers of the maker's new protocol. Each command appends the
  // frames of one packet; nothing for any other receiver. Settings that take
  // a pointer send the value, or with a null pointer ask for it. The getters
  // copy what the receiver's replies carried (zero before the first reply)
  // and, for other receivers, return 0 or leave the record as it was.
  // Port routing
  void Get_Cmd_Com_Direct(std::vector<_STR_CMD>& cmds, NV_COM_DIRECT_ENUM direct);
  // System
  void Get_Cmd_System_Admin(std::vector<_STR_CMD>& cmds, unsigned short int value);
  void Get_Cmd_System_Power_Off(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_System_Reboot(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_System_Power_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_System_Hardware_Info_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_System_Firmware_Info_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_System_GSensor_Valid(std::vector<_STR_CMD>& cmds, NV_GSENSOR_VALID_PERIOD_STRUCT period);
  // Starts (mode 2) or ends (mode 3) the calibration; the period is cut to 16 bits.
  void Send_Magnetometer_Calibration(std::vector<_STR_CMD>& cmds, bool start, int period);
  void Get_System_Power_Status(NV_SYSTEM_POWER_STATUS_STRUCT& status);
  void Get_System_Hardware_Info(NV_SYSTEM_HARDWARE_INFO_STRUCT& info);
  void Get_System_Firmware_Info(NV_SYSTEM_FIRMWARE_VERSION_STRUCT& info);
  void Get_Magnetometer_info(NV_GNSS_DAT_MAGNETIC_STRUCT& info);
  // GNSS. A port of 0 (NV_GNSS_IO_ID_NONE) is left out of the output
  // commands; rates of items other than the GNSS outputs 0x0403 to 0x041B
  // are not sent.
  void Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, NV_DATA_FRQ_ENUM rate);
  void Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, const std::vector<DataFreq>& rates, NV_GNSS_IO_ID_ENUM port);
  void Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, const DataFreq& rate, NV_GNSS_IO_ID_ENUM port);
  void Get_Cmd_Gnss_Data_Unlogall(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port);
  void Get_Cmd_Gnss_Data_Configlist_Query(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port);
  void Get_Cmd_Gnss_IO_ID(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port);
  void Get_Cmd_Gnss_IO_DiffData(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port, NV_GNSS_DIFF_TYPE_ENUM type);
  // Also for the maker's older receivers: their elevation-mask query, or
  // Set_Gnss_ElevDgre with the value.
  void Get_Cmd_Gnss_ElevMask(std::vector<_STR_CMD>& cmds, const unsigned char* mask);
  void Get_Cmd_Gnss_Pdop_Mask(std::vector<_STR_CMD>& cmds, const unsigned char* mask);
  void Get_Cmd_Gnss_Diff_Type(std::vector<_STR_CMD>& cmds, const unsigned short int* type);
  void Get_Cmd_Gnss_Base_Position(std::vector<_STR_CMD>& cmds, const NV_GNSS_BASE_SET_STRUCT* base);
  void Get_Cmd_Gnss_Sat_Enable(std::vector<_STR_CMD>& cmds, const NV_GNSS_SATELLITE_ENABLE_STRUCT* masks);
  // At most 255 entries go out: the count on the wire is the size's low byte.
  void Get_Cmd_Gnss_Base_Position_list(std::vector<_STR_CMD>& cmds, const BASE_POS_LIST_STRUCT* list);
  void Get_Cmd_Gnss_Current_Position_Query(std::vector<_STR_CMD>& cmds);
  void Get_Gnss_Data_Configlist(NV_DATA_CONFIG_LIST& list);
  int Get_Gnss_Pdop_Mask();  // -1 for other receivers
  void Get_Gnss_Diff_Type(NV_GNSS_DIFF_TYPE_ENUM& type);
  void Get_Gnss_Base_Position(NV_GNSS_BASE_SET_STRUCT& base);
  void Get_Gnss_Sat_Enable(NV_GNSS_SATELLITE_ENABLE_STRUCT& masks);
  void Get_Gnss_Base_Position_list(BASE_POS_LIST_STRUCT& list);
  // Radio
  void Get_Cmd_Radio_Frequency(std::vector<_STR_CMD>& cmds, const float* mhz);
  void Get_Cmd_Radio_Power(std::vector<_STR_CMD>& cmds, const unsigned int* power);
  void Get_Cmd_Radio_Stepper(std::vector<_STR_CMD>& cmds, const unsigned int* stepper);
  void Get_Cmd_Radio_Air_Baud(std::vector<_STR_CMD>& cmds, const unsigned int* baud);
  void Get_Cmd_Radio_Protocol(std::vector<_STR_CMD>& cmds, const unsigned short int* protocol);
  void Get_Cmd_Radio_Infolist_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Radio_Power_On(std::vector<_STR_CMD>& cmds, bool on);
  void Get_Cmd_Radio_Auto_Power_On(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_Radio_Module_Type_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Radio_Power_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Radio_Channel_List_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Radio_Channel_List_All_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Radio_Property_Ex(std::vector<_STR_CMD>& cmds, const NV_RADIO_PROPERTY_EX_STRUCT* property);
  void Get_Cmd_Radio_Sensitivity(std::vector<_STR_CMD>& cmds, const unsigned char* sensitivity);
  void Get_Cmd_Radio_FEC(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_Radio_Callsign(std::vector<_STR_CMD>& cmds, const NV_RADIO_CALLSIGN_STRUCT* callsign);
  float Get_Radio_Frequency();
  unsigned int Get_Radio_Power_V2();
  unsigned int Get_Radio_Stepper();
  unsigned int Get_Radio_Air_Baud();  // 4800 for other receivers
  void Get_Radio_Protocol(NV_RADIO_PROTOCOL_ENUM& protocol);
  void Get_Radio_Infolist(NV_RADIO_INFOLIST_STRUCT& info);
  unsigned char Get_Radio_Auto_Power_On();
  void Get_Radio_Module_Type(NV_RADIO_MODULE_TYPE_ENUM& type);
  void Get_Radio_Power_Status(NV_RADIO_POWER_STATUS_ENUM& status);
  void Get_Radio_Channel_List(NV_RADIO_CHANNEL_LIST_STRUCT& list);
  // Replaces the three lists with the ones last received.
  void Get_Radio_Channel_List_All(NV_RADIO_CHANNEL_LIST_EX_STRUCT& lists);
  void Get_Radio_Property_Ex(NV_RADIO_PROPERTY_EX_STRUCT& property);
  unsigned char Get_Radio_Sensitivity();
  unsigned char Get_Radio_FEC();
  void Get_Radio_Callsign(NV_RADIO_CALLSIGN_STRUCT& callsign);
  // Wi-Fi
  void Get_Cmd_WIFI_Param_AP(std::vector<_STR_CMD>& cmds, const NV_WIFI_PARA_AP_STRUCT* ap);
  void Get_Cmd_WIFI_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode);
  void Get_Cmd_WIFI_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_WIFI_Open(std::vector<_STR_CMD>& cmds, bool open);
  void Get_Cmd_WIFI_Power_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_WIFI_Share(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_WIFI_Share_Auto(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_WIFI_Param_AP(NV_WIFI_PARA_AP_STRUCT& ap);
  void Get_WIFI_Mode(NV_WIFI_MODE_ENUM& mode);
  unsigned char Get_WIFI_Auto_Open();
  void Get_WIFI_Power_Status(NV_WIFI_POWER_STATUS_ENUM& status);
  unsigned char Get_WIFI_Share();
  unsigned char Get_WIFI_Share_Auto();
  // File recording on the receiver
  void Get_Cmd_File_Record_Open(std::vector<_STR_CMD>& cmds, bool open, NV_FILE_RECORD_IO_ID_ENUM port);
  void Get_Cmd_File_Record_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on,
                                     NV_FILE_RECORD_IO_ID_ENUM port);
  void Get_Cmd_File_Record_Status_Query(std::vector<_STR_CMD>& cmds, NV_FILE_RECORD_IO_ID_ENUM port);
  void Get_Cmd_File_Record_Param(std::vector<_STR_CMD>& cmds, const NV_FILE_RECORD_CONFIG_STRUCT* config,
                                 NV_FILE_RECORD_IO_ID_ENUM port);
  void Get_Cmd_File_Record_PPK(std::vector<_STR_CMD>& cmds, const NV_BLOCK_DATA_STRUCT* block);
  unsigned char Get_File_Record_Auto_Open();
  void Get_File_Record_Status(NV_FILE_RECORD_STATUS_ENUM& status);
  void Get_File_Record_Param(NV_FILE_RECORD_CONFIG_STRUCT& config);
  // Network link (the caster connection)
  void Get_Cmd_NetLink_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_NetLink_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_NetLink_Source_List_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_NetLink_Address(std::vector<_STR_CMD>& cmds, const NV_IP_ADDRESS_STRUCT* address);
  void Get_Cmd_NetLink_Server_Type(std::vector<_STR_CMD>& cmds, const unsigned short int* type);
  void Get_Cmd_NetLink_Data_Source(std::vector<_STR_CMD>& cmds, const NV_CORS_DATA_SOURCE_STRUCT* source);
  void Get_Cmd_NetLink_Account(std::vector<_STR_CMD>& cmds, const NV_ACCOUNT_STRUCT* account);
  void Get_Cmd_NetLink_Connect(std::vector<_STR_CMD>& cmds, bool connect);
  // Also for the maker's older receivers: their modem's automatic-login
  // mode (0 none, 1 or 2).
  unsigned char Get_NetLink_Auto_Open();
  void Get_NetLink_Status(NV_NETLINK_STATUS_STRUCT& status);
  // Reports the length of the source list last received (its bytes are
  // read with Get_Gprs_GetList); the first argument is not used.
  void Get_NetLink_Source_List(const unsigned char* unused, unsigned int& length);
  void Get_NetLink_Address(NV_IP_ADDRESS_STRUCT& address);
  void Get_NetLink_Server_Type(NV_NETLINK_SERVER_TYPE_ENUM& type);
  void Get_NetLink_Data_Source(NV_CORS_DATA_SOURCE_STRUCT& source);
  void Get_NetLink_Account(NV_ACCOUNT_STRUCT& account);
  // Modem
  void Get_Cmd_Modem_Dial(std::vector<_STR_CMD>& cmds, bool dial);
  void Get_Cmd_Modem_Power(std::vector<_STR_CMD>& cmds, bool on);
  void Get_Cmd_Modem_Auto_Dial(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_Modem_Auto_Power_On(std::vector<_STR_CMD>& cmds, const unsigned char* on);
  void Get_Cmd_Modem_Dial_Param(std::vector<_STR_CMD>& cmds, const NV_MODEM_DIAL_PARA_STRUCT* param);
  void Get_Cmd_Modem_Dial_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Modem_Power_Status_Query(std::vector<_STR_CMD>& cmds);
  void Get_Cmd_Modem_Band_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode);
  unsigned char Get_Modem_Auto_Dial();
  unsigned char Get_Modem_Auto_Power_On();
  // Each text up to its NUL (at most 20 characters), the rest of the field zero.
  void Get_Modem_Dial_Param(NV_MODEM_DIAL_PARA_STRUCT& param);
  void Get_Modem_Dial_Status(NV_MODEM_DIAL_STATUS_STRUCT& status);
  void Get_Modem_Power_Status(NV_MODEM_POWER_STATUS_ENUM& status);
  void Get_Modem_Signal_Intensity(NV_MODEM_SIGNAL_INTENSITY_STRUCT& signal);
  void Get_Modem_Band_Mode(NV_MODEM_BAND_MODE_ENUM& mode);
  // Data link
  void Get_Cmd_DataLink_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode);
  void Get_Cmd_DataLink_Differential_Data(std::vector<_STR_CMD>& cmds, const NV_BLOCK_DATA_STRUCT* block);
  void Get_DataLink_Mode(NV_DATALINK_MODE_ENUM& mode);
  // Replies: the status of the last acknowledgement and the tag of the last
  // packet read, which names the setting it answers.
  void Get_Cmd_Setting_Response(NV_RESPONSE_STATUS_ENUM& status, unsigned int& tag);
  // The data block of the last GNSS data item (0x0406 to 0x0409), or null
  // with `length` untouched; the pointer stays valid until the next block.
  const unsigned char* Get_Gnss_Data_Buff(unsigned int& length);
  // The last GGA sentence received, or null with `length` untouched.
  const unsigned char* Get_NMEA_Data_Buff(unsigned int& length);

  // Cuts the bytes into packets of at most 512 bytes, without framing.
  void GetCustomCommandPackets(std::vector<_STR_CMD>& cmds, const unsigned char* data,
                               unsigned int length);

 private:
  friend struct EmGnssTestAccess;

  // Diagnostics kept for the application's debugging builds; the library
  // never calls them.
  void CallData();
  void ClData_Device();
  void ClData_Gnss();
  void Gnss_Logger(Msg_Type kind, unsigned long value);
  void Gnss_Logger_Rcvr(unsigned long value);
  void Gnss_Logger_Md(unsigned long value);

  void Notify(Msg_Type kind, unsigned int value);
  void AppendPointRecord(std::vector<_STR_CMD>& cmds, int kind, const void* point);
  // The engine of an older receiver; null for every other receiver.
  LegacyEngine* OlderReceiver();
  // The reply store of a new-protocol receiver; null for every other receiver.
  NewProtoBoardData* NewProtoStore();
  int RadioCommand(std::vector<_STR_CMD>& cmds, bool (*allowed)(int), unsigned char code, const unsigned char* data,
                   unsigned int length, std::uint32_t wait);
  void AppendReceiverNmea(std::vector<_STR_CMD>& cmds, const std::vector<_set_nmea>& list, int rate,
                          const bool* flag);

  bool recording;
  ProtocolEngine* engine;
  void (*on_message)(Msg_Type kind, unsigned int value, const void* user_context);
  void (*on_oem_changed)(bool flag, const void* user_context);
  SATLLITE_STR sat_stage[32];
  const void* user_context;
};

// The application may allocate Em_Gnss itself: its fields are part of the
// interface (flag, engine, two callbacks, 32 staging records, context).
static_assert(sizeof(SATLLITE_STR) * 32 == 832, "satellite staging area");

}  // namespace KsParse
}  // namespace Kestrel
