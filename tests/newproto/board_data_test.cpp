#include "newproto/newproto_board_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "newproto/newproto_board.h"
#include "support/values.h"
#include "tools/sim/newproto_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Sim::Bytes;
using Sim::ItemValue;
using Testing::D;
using Testing::ExpectNear;
using Data = NewProtoBoardData;

struct ItemCase {
  std::uint16_t id;
  Bytes value;
  std::uint32_t bit;
  std::function<D(const Data&)> read;
  D want;
};

std::string Str(const char* field, std::size_t width) { return std::string(field, strnlen(field, width)); }

// One item of each value layout (scalars of every width, texts, mixed
// records, counted lists) and of each group, with the values it must leave.
// Items whose getters the catalogue tests read through Em_Gnss, or send and
// read back, are left to them.
std::vector<ItemCase> FixedItems() {
  return {
      {0x0103, ItemValue().U16(9).bytes(), 0x80, [](const Data& d) { return D{double(d.port_0103)}; }, {9}},
      {0x0307, ItemValue().Text("v1.2", 50).Text("board", 50).bytes(), 0x4,
       [](const Data& d) { return D{double(Str(d.firmware_info.first, 50) == "v1.2"), double(Str(d.firmware_info.second, 50) == "board")}; },
       {1, 1}},
      {0x040A, ItemValue().F64(0.5).F64(-1.25).F64(99).U32(4).bytes(), 0x40,
       [](const Data& d) { return D{d.latitude, d.longitude, d.height, double(d.solution_code)}; }, {0.5, -1.25, 99, 4}},
      {0x040B, ItemValue().U32(1356).U32(3 * 86400 + 3723).bytes(), 0x80,
       [](const Data& d) {
         return D{double(d.week), d.week_seconds, double(d.year), double(d.month), double(d.day), double(d.hour),
                  double(d.minute), d.second};
       },
       {1356, 3 * 86400 + 3723, 2006, 1, 4, 1, 2, 3}},
      {0x040C, ItemValue().F32(2.0f).F32(1.0f).F32(1.75f).F32(1.5f).bytes(), 0x400,
       [](const Data& d) { return D{d.pdop, d.hdop, d.vdop, d.tdop, d.gdop}; }, {2, 1, 1.75, 1.5, 2.5}},
      {0x040F, ItemValue().F64(1e6).F64(-2e6).F64(3e6).bytes(), 0x1000,
       [](const Data& d) { return D{d.base_info.x, d.base_info.y, d.base_info.z}; }, {1e6, -2e6, 3e6}},
      {0x0410, ItemValue().F64(1).F64(2).F64(3).U32(5).U32(1356).U32(60).F64(4).F64(5).F64(6).U32(2).bytes(), 0x200,
       [](const Data& d) {
         return D{d.latitude, d.longitude, d.height, double(d.solution_code), double(d.week), double(d.minute),
                  d.sigma_horizontal, d.sigma_vertical, d.rms, d.diff_age};
       },
       {1, 2, 3, 5, 1356, 1, 4, 5, 6, 2}},
      {0x0411, ItemValue().U8(1).U32(2).U16(3).U16(4).U16(5).U32(6).U32(7).F32(8.5f).F32(9.5f).bytes(), 0x2000,
       [](const Data& d) {
         const auto& r = d.receiver_status;
         return D{double(r.state), double(r.value1), double(r.word[2]), double(r.value3), r.level[0], r.level[1]};
       },
       {1, 2, 5, 7, 8.5, 9.5}},
      {0x0451, {15}, 0x4, [](const Data& d) { return D{double(d.elev_mask_reported)}; }, {15}},
      {0x0456, [] { ItemValue v; v.U16(44); for (int i = 0; i < 44; ++i) v.U16(100 + i); return v.bytes(); }(), 0x40000,
       [](const Data& d) { return D{double(d.data_config.count), double(d.data_config.entry[0]), double(d.data_config.entry[43])}; },
       {44, 100, 143}},
      {0x0713, [] { ItemValue v; for (int i = 0; i < 10; ++i) v.F32(410.5f + i); return v.bytes(); }(), 0x40000,
       [](const Data& d) { return D{d.radio_channels.channel[0], d.radio_channels.channel[9]}; }, {410.5, 419.5}},
      {0x0718, ItemValue().U8(1).U8(30).Text("CALL", 17).bytes(), 0x800000,
       [](const Data& d) { const auto& c = d.radio_callsign; return D{double(c.mode), double(c.interval), double(Str(c.callsign, 17) == "CALL")}; },
       {1, 30, 1}},
      {0x0A03, ItemValue().Text("ap", 20).U16(3).Text("secret", 20).bytes(), 0x4,
       [](const Data& d) { return D{double(Str(d.wifi_ap.name, 20) == "ap"), double(d.wifi_ap.security), double(Str(d.wifi_ap.password, 20) == "secret")}; },
       {1, 3, 1}},
  };
}

// The decoder's bytes, to prove that a refused item changed nothing.
Bytes Snapshot(const Data& d) {
  const auto* p = reinterpret_cast<const unsigned char*>(&d);
  return Bytes(p, p + sizeof d);
}

TEST(NewProtoBoardDataTest, EveryItemStoresItsValueAndRaisesOnlyItsBit) {
  for (const ItemCase& c : FixedItems()) {
    auto d = std::make_unique<Data>();
    d->msg_flags = 0xDEAD;
    EXPECT_TRUE(d->DecodeMessage(c.value.data(), c.id, static_cast<unsigned>(c.value.size()))) << std::hex << c.id;
    EXPECT_EQ(d->msg_flags, c.bit) << std::hex << c.id;
    ExpectNear(c.read(*d), c.want, 1e-9);
  }
}

TEST(NewProtoBoardDataTest, ItemOfAnotherLengthChangesNothing) {
  auto d = std::make_unique<Data>();
  for (const ItemCase& c : FixedItems()) {
    Bytes longer = c.value;
    longer.push_back(0);
    for (unsigned length : {static_cast<unsigned>(c.value.size()) - 1, static_cast<unsigned>(longer.size())}) {
      d->msg_flags = 0;
      const Bytes before = Snapshot(*d);
      EXPECT_FALSE(d->DecodeMessage(longer.data(), c.id, length)) << std::hex << c.id << " length " << length;
      EXPECT_EQ(Snapshot(*d), before) << std::hex << c.id;
    }
  }
  const Bytes any(8, 1);
  for (unsigned id : {0x0208u, 0x0403u, 0x0453u, 0x0102u, 0x03FEu, 0x0501u, 0x1501u, 0x0001u}) {
    const Bytes before = Snapshot(*d);
    EXPECT_FALSE(d->DecodeMessage(any.data(), id, 2)) << std::hex << id;
    EXPECT_EQ(Snapshot(*d), before) << std::hex << id;
  }
  EXPECT_TRUE(d->DecodeMessage(any.data(), 0x1504, 8));  // differential data: taken, not kept
  EXPECT_EQ(d->msg_flags, 0u);
}

TEST(NewProtoBoardDataTest, HardwareInformationInItsThreeForms) {
  const Bytes shortest = ItemValue().U32(1).Text("ABCDEFGH", 7).Text("0123456789abcdef", 13).U32(2).U32(3).U32(4).bytes();
  const Bytes longer = ItemValue().U32(1).Text(std::string(24, 'm'), 24).Text("serial", 24).U32(2).U32(3).U32(4).U32(5).bytes();
  struct Case {
    Bytes value;
    unsigned length;
    std::string first, second;
    D values;
  };
  const Case cases[] = {{shortest, 36, "ABCDEFG", "0123456789abc", {1, 2, 3, 4, 0}},
                        {longer, 64, std::string(23, 'm'), "serial", {1, 2, 3, 4, 0}},
                        {longer, 68, std::string(23, 'm'), "serial", {1, 2, 3, 4, 5}}};
  for (const Case& c : cases) {
    auto d = std::make_unique<Data>();
    d->hardware_info.value[3] = 9;
    ASSERT_TRUE(d->DecodeMessage(c.value.data(), 0x0306, c.length));
    const auto& h = d->hardware_info;
    EXPECT_EQ(d->msg_flags, 0x2u);
    EXPECT_EQ(Str(h.first, 24), c.first);
    EXPECT_EQ(Str(h.second, 24), c.second);
    ExpectNear({double(h.id), double(h.value[0]), double(h.value[1]), double(h.value[2]), double(h.value[3])}, c.values);
  }
  auto d = std::make_unique<Data>();
  EXPECT_FALSE(d->DecodeMessage(longer.data(), 0x0306, 40));
}

TEST(NewProtoBoardDataTest, DataBlocksAndSourceListAreBoundedByTheItem) {
  auto d = std::make_unique<Data>();
  const Bytes claims_more = ItemValue().U32(5000).Text("abc", 3).bytes();
  ASSERT_TRUE(d->DecodeMessage(claims_more.data(), 0x0408, 7));
  EXPECT_EQ(d->msg_flags, 0x10000u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d->data_block)), "abc");
  const Bytes big = ItemValue().U32(3000).Text(std::string(3000, 'z'), 3000).bytes();
  ASSERT_TRUE(d->DecodeMessage(big.data(), 0x0406, 3004));
  EXPECT_EQ(d->data_block_length, Data::kDataBlockSize);
  EXPECT_EQ(d->data_block[Data::kDataBlockSize], 0);
  const Bytes none = ItemValue().U32(0).U8(1).bytes();
  ASSERT_TRUE(d->DecodeMessage(none.data(), 0x0409, 5));
  EXPECT_EQ(d->msg_flags, 0x20000u);
  EXPECT_EQ(d->data_block_length, 0u);
  EXPECT_FALSE(d->DecodeMessage(none.data(), 0x0407, 4));

  const Bytes list = ItemValue().U32(9000).Text(std::string(5000, 's'), 5000).bytes();
  ASSERT_TRUE(d->DecodeMessage(list.data(), 0x1106, 5004));
  EXPECT_EQ(d->source_list_length, Data::kSourceListSize);
  ASSERT_TRUE(d->DecodeMessage(list.data(), 0x1106, 10));
  EXPECT_EQ(d->source_list_length, 6u);
}

Bytes Satellites(std::vector<unsigned> counts, std::vector<std::vector<unsigned>> entries) {
  ItemValue v;
  for (unsigned c : counts) v.U8(c);
  v.U8(0).U8(0).U8(0);
  for (const auto& e : entries) v.U8(e[0]).U8(e[1]).U8(e[2]).U16(e[3]).U8(e[4]).U8(e[5]).U8(e[6]).U8(e[7]);
  return v.bytes();
}

TEST(NewProtoBoardDataTest, SatellitesGoToTheTableOfTheirSystem) {
  auto d = std::make_unique<Data>();
  const Bytes three = Satellites({2, 0, 1, 0, 0}, {{5, 0, 45, 270, 40, 38, 7, 1}, {9, 0, 10, 90, 30, 0, 0, 0}, {22, 2, 60, 180, 44, 41, 3, 1}});
  EXPECT_FALSE(d->DecodeMessage(three.data(), 0x040D, 36));
  ASSERT_TRUE(d->DecodeMessage(three.data(), 0x040D, 35));
  EXPECT_EQ(d->msg_flags, 0x800u);
  const SATLLITE_STR& s = d->tables[kTableGps].sats[0];
  float third;
  std::memcpy(&third, &s.extra, sizeof third);
  ExpectNear({double(s.prn), double(s.elevation), double(s.azimuth), s.snr, s.snr2, third, double(s.status)},
             {5, 45, 270, 40, 38, 7, 1});
  ExpectNear({double(d->tables[0].count), double(d->tables[2].count), double(d->tables[2].sats[0].prn),
              double(d->sats_tracked), double(d->sats_in_solution), double(d->sat_system_count)},
             {2, 1, 22, 3, 2, 2});

  // Unknown systems and a 33rd satellite of a table are counted, not stored.
  std::vector<std::vector<unsigned>> many(33, {1, 1, 0, 0, 0, 0, 0, 0});
  many.push_back({3, 7, 0, 0, 0, 0, 0, 1});
  const Bytes overfull = Satellites({34, 0, 0, 0, 0}, many);
  ASSERT_TRUE(d->DecodeMessage(overfull.data(), 0x040D, static_cast<unsigned>(overfull.size())));
  ExpectNear({double(d->tables[0].count), double(d->tables[1].count), double(d->sats_tracked),
              double(d->sats_in_solution), double(d->sat_system_count)},
             {0, 32, 34, 1, 1});
  const Bytes none = Satellites({0, 0, 0, 0, 0}, {});
  EXPECT_FALSE(d->DecodeMessage(none.data(), 0x040D, 8));
}

Bytes BaseList(unsigned capacity, unsigned n) {
  ItemValue v;
  v.F64(12.5).U8(capacity).U8(n);
  for (unsigned i = 0; i < n; ++i) v.F64(i + 0.5).F64(-1.0 * i).U32(100 + i).U32(0xFFFFFFFF);
  return v.bytes();
}

TEST(NewProtoBoardDataTest, BaseListIsReplacedWholeOrEmptied) {
  auto d = std::make_unique<Data>();
  const Bytes two = BaseList(5, 2);
  ASSERT_TRUE(d->DecodeMessage(two.data(), 0x0457, 58));
  EXPECT_EQ(d->msg_flags, 0x80000u);
  EXPECT_EQ(d->base_list[1].reserved, 0u);  // the values are sent and read back in the catalogue tests
  const Bytes over_capacity = BaseList(1, 2);
  EXPECT_FALSE(d->DecodeMessage(over_capacity.data(), 0x0457, 58));
  EXPECT_FALSE(d->DecodeMessage(two.data(), 0x0457, 57));
  EXPECT_EQ(d->base_list_count, 2);
  const Bytes empty = BaseList(5, 0);
  ASSERT_TRUE(d->DecodeMessage(empty.data(), 0x0457, 10));
  ExpectNear({d->base_list_value, double(d->base_list_capacity), double(d->base_list_count)}, {0, 0, 0});
}

// The lists in wire order are read through Em_Gnss in the catalogue tests.
TEST(NewProtoBoardDataTest, ChannelListsMustMatchTheirLength) {
  auto d = std::make_unique<Data>();
  const Bytes lists = ItemValue().U32(1).U32(0).U32(2).F32(410.5f).U8(1).F32(420.5f).U8(2).F32(430.5f).U8(3).bytes();
  EXPECT_FALSE(d->DecodeMessage(lists.data(), 0x0715, 26));
  ASSERT_TRUE(d->DecodeMessage(lists.data(), 0x0715, 27));
  EXPECT_EQ(d->msg_flags, 0x80000u);
  // Counts that overflow 32 bits in their sum cannot match the length.
  const Bytes huge = ItemValue().U32(0xFFFFFFFF).U32(0xFFFFFFFF).U32(2).F32(0).U8(0).bytes();
  EXPECT_FALSE(d->DecodeMessage(huge.data(), 0x0715, 17));
}

TEST(NewProtoBoardTest, GgaSentenceKeptAsTextReplyUpTo260Bytes) {
  NewProtoBoard board;
  const std::string long_gga = "$GPGGA," + std::string(293, 'x');
  board.decoder->msg_flags = 0x40;
  EXPECT_FALSE(board.AcceptPassThrough(reinterpret_cast<const unsigned char*>(long_gga.data()), 1031, 300));
  ASSERT_TRUE(board.AcceptPassThrough(reinterpret_cast<const unsigned char*>(long_gga.data()), 1032, 300));
  EXPECT_EQ(board.decoder->text_reply_length, 260u);
  EXPECT_EQ(board.decoder->msg_flags, 0x41u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(board.decoder->text_reply), 260), long_gga.substr(0, 260));
  ASSERT_TRUE(board.AcceptPassThrough(reinterpret_cast<const unsigned char*>("$GPGGA,1"), 1032, 8));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(board.decoder->text_reply)), "$GPGGA,1");
  EXPECT_EQ(board.oem_type, 8u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
