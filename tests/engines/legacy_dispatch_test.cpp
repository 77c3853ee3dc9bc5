// The legacy engine's dispatcher and its status, device-information and
// satellite-table decoders, driven through Em_Gnss with real frames.
#include <cstring>
#include <string>
#include <vector>

#include "engines/legacy_receiver.h"
#include "support/values.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::D;
using Testing::U;

std::string S(std::size_t n, char c = 'x') { return std::string(n, c); }

class LegacyDispatch : public LegacyReceiver {};

TEST_F(LegacyDispatch, EachCodeReportsItsKindAndFlags) {
  const std::string close = "Close th" + S(10) + "\x21\r\n\x83\r\n";
  const struct {
    const char* id;
    std::string payload;
    Reports want;
  } cases[] = {
      {"SC", "", {{2, 0x80000}}},         {"SX", "abc", {{2, 0x40000}}},     {"RX", "text", {{2, 0x2000}}},
      {"ST", close, {{2, 0x200}}},        {"ST", close.substr(0, 23), {}},   {"ST", "Close TH" + close.substr(8), {}},
      {"VY", "dbg", {{2, 0x100}}},        {"SS", S(22), {{2, 0x20000}}},     {"SS", S(21), {}},
      {"FB", "\x02" "ab" + Le32(7) + "\x01\x01", {{2, 0x400}}},
      {"FB", "\x02" "ab" + Le32(7) + "\x01", {}},  // ends before the state byte
      {"FB", "\x24" + S(60), {}},                  // text longer than the record's 35 bytes
      {"FF", S(12), {{2, 0x1}}},          {"FF", S(11), {}},                 {"FH", S(8), {{2, 0x80}}},
      {"FH", S(7), {}},                   {"FM", S(55), {{8, 0x2}}},         {"FM", S(54), {{8, 0x4}}},
      {"FM", S(56), {}},                  {"FW", S(55), {{8, 0x8}}},         {"FW", "", {{8, 0x10}}},
      {"FJ", S(55), {{8, 0x40}}},         {"FJ", "x", {{8, 0x80}}},          {"FT", "name", {{8, 0x20}}},
      {"FK", S(8), {{8, 0x100}}},         {"FK", S(7), {}},                  {"VM", "", {{2, 0x1000}}},
      {"VD", "x", {}},                    {"VL", "x", {}},                   {"RK", "x", {}},
      {"ZZ", "x", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Feed(c.id, c.payload), c.want) << c.id << " " << c.payload.size();
}

// The texts a status frame carries are cut to their fields' sizes.
TEST_F(LegacyDispatch, StatusTextsStayWithinTheirFields) {
  Feed(Frame("RX", S(255, 'r')) + Frame("FT", S(25, 't')) + Frame("VY", S(201, 'v')));
  const LegacyEngine& e = engine();
  EXPECT_EQ(std::string(e.ft_text), S(20, 't'));
  EXPECT_EQ((U{e.rx_length, e.rx_text[199], e.firmware_debug.length, e.firmware_debug.data[199],
               e.firmware_debug_present}),
            (U{200, 'r', 200, 'v', 1}));
}

TEST_F(LegacyDispatch, StatusFrameGivesBatteryGradeAndClass) {
  const struct {
    std::string payload;
    std::int64_t sd_class, grade;
  } cases[] = {
      {std::string("\x01K\0\0\xD7", 5), 3, 6},  // 5 + trunc(10 * 5.5555...) = 60
      {std::string("\x01S\0\0\xC7", 5), 1, 10},  // 104, capped at 100
      {std::string("\x03@\0\0\xC8", 5), 2, 12},  // charging
      {"\x01T", -1, 10}, {"\x01@", -1, 0}, {"\x03", -1, 12}, {"\x01", -1, -1},
  };
  for (const auto& c : cases) {
    engine().sd_class = static_cast<std::uint32_t>(-1);
    engine().battery_grade = -1;
    const unsigned flags = (c.sd_class >= 0 ? 0x4000000 : 0) | (c.grade >= 0 ? 0x40000000 : 0);
    EXPECT_EQ(Feed("SD", c.payload), (flags != 0 ? Reports{{2, flags}} : Reports{})) << c.payload;
    EXPECT_EQ((U{static_cast<std::int32_t>(engine().sd_class), engine().battery_grade}), (U{c.sd_class, c.grade}))
        << c.payload;
  }
}

TEST_F(LegacyDispatch, BoardFramesNeedTheAdapter) {
  auto* adapter = new RecordingAdapter(OEM_NOVATEL);
  adapter->flags = 0x10000000;
  EmGnssTestAccess::SetAdapter(gnss, adapter);
  EXPECT_EQ(Feed(Frame("RG", "log") + Frame("VQ", "more")), (Reports{{1, 0x10000000}, {1, 0x10000000}}));
  adapter->accept = false;
  EXPECT_EQ(Feed("RG", "bad"), Reports{});
  EXPECT_EQ(adapter->frames, (std::vector<std::string>{"log", "more", "bad"}));

  // Without a board, board data and satellite tables are taken unreported.
  EmGnssTestAccess::SetAdapter(gnss, nullptr);
  EXPECT_EQ(Feed(Frame("RG", "log") + Frame("RH", "\x01\x01") + Frame("VQ", "q") + Frame("SC", "")),
            (Reports{{2, 0x80000}}));
}

// A 128-byte device record: byte i holds i, the model text at byte 0.
std::string DeviceRecord(const std::string& model, unsigned char b59 = 59, unsigned char b90 = 90,
                         unsigned char b126 = 126) {
  std::string r(128, '\0');
  for (int i = 0; i < 128; ++i) r[i] = static_cast<char>(i);
  r.replace(0, model.size(), model);
  r[59] = static_cast<char>(b59);
  r[90] = static_cast<char>(b90);
  r[126] = static_cast<char>(b126);
  return r;
}

// The record in SI frames of 55 bytes and a shorter last one.
std::string SiFrames(const std::string& record) {
  std::string out;
  for (std::size_t at = 0; at < record.size(); at += 55) out += Frame("SI", record.substr(at, 55));
  return out;
}

class LegacyDeviceInfo : public LegacyReceiver {
 protected:
  LegacyDeviceInfo() : LegacyReceiver(OEM_TRIMBLE) {}
};

TEST_F(LegacyDeviceInfo, RecordOverThreeFramesSwitchesTheBoard) {
  const std::string r = DeviceRecord("KN4A\x01");
  const std::string frames = SiFrames(r);
  EXPECT_EQ(Feed(frames.substr(0, 2 * 64)), Reports{});  // two frames of 55 bytes
  EXPECT_EQ(Feed(frames.substr(2 * 64)), (Reports{{2, 0x80000000}}));
  LegacyEngine& e = engine();
  const BoardAdapter* novatel = e.adapter;
  EXPECT_EQ((U{novatel->oem_type, e.board_generation, e.detected_board, e.device_info_seen, e.radio_state.kind}),
            (U{OEM_NOVATEL, 2, OEM_NOVATEL, 1, 3}));
  const DEVICE_STR& i = e.device_info;
  EXPECT_EQ((U{i.model, i.rec58, i.rec56, i.detected_board}), (U{0x41344E4B, 58, 56, OEM_NOVATEL}));  // "KN4A"
  // The detected board takes its output rate in one RZ frame.
  CommandList cmds;
  gnss.Set_Gnss_PosFrq(cmds, GNSS_FRQ_2HZ);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(cmds[0].buf), cmds[0].len),
            "$$RZ\x18\x19log bestposb ontime 0.5\r\n\x7B\r\n");

  // The same board again keeps the adapter; a 1-byte frame starts a new
  // record, which 127 more bytes complete.
  EXPECT_EQ(Feed(frames), (Reports{{2, 0x80000000}}));
  EXPECT_EQ(e.adapter, novatel);
  EXPECT_EQ(Feed(Frame("SI", r.substr(0, 1))), Reports{});
  EXPECT_EQ(Feed(Frame("SI", r.substr(1, 55)) + Frame("SI", r.substr(56, 55)) + Frame("SI", r.substr(111))),
            (Reports{{2, 0x80000000}}));
}

TEST_F(LegacyDeviceInfo, ModelBoardAndRadioKind) {
  const struct {
    std::string record;
    std::int64_t board, generation, radio;
    Reports want;
  } cases[] = {
      {DeviceRecord(" KT2A"), OEM_TRIMBLE, 2, 3, {{2, 0x80000000}}},       // code after the first byte
      {DeviceRecord("KT1E", 3), OEM_TRIMBLE, 1, 4, {{2, 0x80000000}}},
      {DeviceRecord("KH5B", 4, 90, 5), OEM_HEMISPHERE, 1, 8, {{2, 0x80000000}}},
      {DeviceRecord("XXXX", 4, 4, 6), OEM_HEMISPHERE2, 2, 10, {{2, 0x80000000}}},  // byte 90 = 4
      // No code: the fields are kept, the board stays.
      {DeviceRecord(std::string("\0KN4A", 5), 4), OEM_HEMISPHERE2, 1, 5, {}},  // the text ends at the NUL
      {DeviceRecord("KT1 A", 3, 90, 3), OEM_HEMISPHERE2, 1, 7, {}},
  };
  for (const auto& c : cases) {
    engine().board_generation = 1;
    EXPECT_EQ(Feed(SiFrames(c.record)), c.want) << c.record.substr(0, 5);
    EXPECT_EQ((U{engine().detected_board, engine().board_generation, engine().radio_state.kind}),
              (U{c.board, c.generation, c.radio}))
        << c.record.substr(0, 5);
  }
  // A record over 128 bytes is dropped whole.
  engine().radio_state.kind = 0;
  EXPECT_EQ(Feed(SiFrames(DeviceRecord("KT1A") + S(37))), Reports{});
  EXPECT_EQ(engine().radio_state.kind, 0);
}

// Satellite tables.
std::string RhFrames(const std::string& table) {
  std::string out;
  std::size_t at = 0;
  for (; table.size() - at >= 55; at += 55) out += Frame("RH", table.substr(at, 55));
  return out + Frame("RH", table.substr(at));
}

std::string Entry(std::initializer_list<int> bytes) {
  std::string e;
  for (int b : bytes) e += static_cast<char>(b);
  return e;
}

U Sat(const SATLLITE_STR& s) {
  return {s.prn, s.elevation, s.azimuth, static_cast<std::int64_t>(s.snr * 4), static_cast<std::int64_t>(s.snr2 * 4),
          s.status};
}

U Counts(const BoardDecoder& d) {
  return {d.tables[0].count, d.tables[1].count, d.tables[2].count, d.tables[3].count, d.sats_tracked,
          d.sat_system_count};
}

constexpr unsigned kAllLists = 0x8000000 | 0x100000 | 0x200000 | 0x400000 | 0x40000000 | 0x100;

TEST_F(LegacyDispatch, CompleteTablesReplaceTheBoardLists) {
  // Satellite table: 8-byte entries from byte 10, big-endian azimuth, quarter dB-Hz.
  std::string table = Entry({6, 1}) + S(8);
  for (int sat : {0, 5, 40, 125, 170, 99})
    table += Entry({sat, 45, 0x01, 0x02, sat == 0 ? 0 : 160, sat == 5 ? 0 : 8, 0, 0});
  EXPECT_EQ(Feed(RhFrames(table)), (Reports{{1, kAllLists}}));
  const BoardDecoder& d = decoder();
  EXPECT_EQ(Counts(d), (U{2, 1, 1, 1, 5, 4}));
  EXPECT_EQ(Sat(d.tables[0].sats[0]), (U{0, 45, 258, 0, 8, 1}));
  EXPECT_EQ(Sat(d.tables[0].sats[1]), (U{5, 45, 258, 160, 0, 1}));
  EXPECT_EQ(Sat(d.tables[2].sats[0]), Sat(engine().sat_lists[2].sats[0]));

  // Combined table over five frames: 7-byte entries from byte 12, azimuth
  // word with the used mark, whole dB-Hz; at most 32 per list.
  table = Entry({36, 3}) + S(10);
  for (int i = 0; i < 34; ++i) table += Entry({i % 32 + 1, 10, 0x2C, 0x81, 40, 30, 0});
  table += Entry({38, 11, 1, 0, 0, 0, 0}) + Entry({120, 12, 2, 0, 0, 0, 0});
  EXPECT_EQ(Feed(RhFrames(table)), (Reports{{1, kAllLists}}));
  EXPECT_EQ(Counts(d), (U{32, 1, 0, 1, 34, 3}));
  EXPECT_EQ(Sat(d.tables[0].sats[31]), (U{32, 10, 300, 160, 120, 0x8000}));

  // A count beyond the entries held, a piece over 55 bytes and a type
  // without a meaning change nothing.
  EXPECT_EQ(Feed(Frame("RH", Entry({3, 1}) + S(8) + S(16)) + Frame("RH", S(56)) + Frame("RH", Entry({0, 4}))),
            Reports{});
  EXPECT_EQ(Counts(d), (U{32, 1, 0, 1, 34, 3}));
}

TEST_F(LegacyDispatch, SignalTableFillsHeldGroups) {
  BoardDecoder& d = decoder();
  d.tables[0].count = 3;
  for (int i = 0; i < 3; ++i) d.tables[0].sats[i] = SATLLITE_STR{3 + 2 * i, 30, 100, 0, 0, 0, 0};  // 3, 5, 7
  d.tables[1].count = 1;
  d.gps_sat_hold = 1;
  d.gps_sat_bits = 0x8;
  d.glo_sat_hold = 0;
  const std::string table = Entry({6, 0, 3, 0x41, 45, 3, 9, 30, 7, 2, 40, 5, 8, 33, 40, 1, 33, 12, 1, 20});
  EXPECT_EQ(Feed(Frame("RH", table)), (Reports{{1, 0x8000000 | 0x100000}}));
  EXPECT_EQ((U{d.tables[0].count, d.tables[1].count, d.gps_sat_bits}), (U{2, 1, 0}));
  EXPECT_EQ(Sat(d.tables[0].sats[0]), (U{3, 30, 100, 180, 120, 1 | (1u << 30)}));
  EXPECT_EQ(Sat(d.tables[0].sats[1]), (U{7, 30, 100, 160, 0, 2}));
  // The GPS group is no longer held: only the GLONASS list reports.
  EXPECT_EQ(Feed(Frame("RH", table)), (Reports{{1, 0x100000}}));
}

TEST_F(LegacyDispatch, UseTableThenSignalUpdate) {
  BoardDecoder& d = decoder();
  const std::string use = Entry({4, 2, 1, 5, 30, 100, 0x80, 40, 20, 200, 0, 170, 10, 0x2C, 1, 33, 9, 9, 0});
  EXPECT_EQ(Feed(Frame("RH", use)), Reports{});
  EXPECT_EQ((U{d.tables[0].count, d.tables[1].count, d.tables[2].count}), (U{1, 1, 1}));
  const std::string update = Entry({4, 2, 0, 5, 16, 44, 5, 2, 30, 40, 16, 35, 170, 16, 20});
  EXPECT_EQ(Feed(Frame("RH", update)), (Reports{{1, 0x8000000 | 0x100000 | 0x200000}}));
  EXPECT_EQ(Sat(d.tables[0].sats[0]), (U{5, 30, 100, 176, 120, 0x8000}));
  EXPECT_EQ(Sat(d.tables[1].sats[0]), (U{40, 20, 200, 140, 0, 0}));
  EXPECT_EQ(Sat(d.tables[2].sats[0]), (U{170, 10, 300, 80, 0, 0}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
