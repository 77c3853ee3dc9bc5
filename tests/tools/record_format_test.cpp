// The output records: the keys of kinds other than 1, valid JSON for any
// text, and the text layout.
#include <cstdint>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tools/decode_record.h"
#include "tools/json_writer.h"
#include "tools/text_writer.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Tool::Value;
namespace Flag = Tool::Flag;

// The member names, and "sats.N" for the systems under "sats".
std::set<std::string> Keys(const Value& v) {
  std::set<std::string> keys;
  for (const auto& [name, member] : v.Members()) {
    keys.insert(name);
    if (name == "sats")
      for (const auto& system : member.Members()) keys.insert("sats." + system.first);
  }
  return keys;
}

// Which keys each change flag brings is the record's own table, read back
// through the decode tests' records; here what the kinds other than 1 carry.
TEST(DecodeRecord, OtherKindsCarryOnlyTheirFlags) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  em_obs_t obs;
  // Kind 7 reports the same change flags; the other kinds' values are bits
  // of their own records.
  EXPECT_EQ(Keys(Tool::DecodeRecord(gnss, MSG_NV_NMEA, Flag::kDop, obs)),
            (std::set<std::string>{"kind", "flags", "dop"}));
  for (Msg_Type other : {MSG_DEVICE, MSG_NV_GNSS, MSG_NV_SYSTEM, MSG_DEVICE_FILE})
    EXPECT_EQ(Keys(Tool::DecodeRecord(gnss, other, 0xFFFFFFFFu, obs)), (std::set<std::string>{"kind", "flags"}));
}

// One builder run through both sinks: the streamed JSON is the tree's JSON,
// and a reused writer starts clean after Clear.
template <typename Sink>
void SampleRecord(Sink& out, const char* name) {
  out.Object(nullptr);
  out.Field("name", name);
  out.Field("u8", static_cast<std::uint8_t>(200));
  out.Field("i16", static_cast<std::int16_t>(-3));
  out.Field("u32", 4000000000u);
  out.Field("f", 0.5f);
  out.Array("rows");
  for (int i = 0; i < 2; ++i) {
    out.Object(nullptr);
    Tool::WritePair(out, "pair", i, -i);
    out.Array("none");
    out.End();
    out.End();
  }
  out.End();
  out.Null("gap");
  out.Field("ok", false);
  out.End();
}

TEST(JsonWriter, StreamsWhatTheTreeWrites) {
  const char* const expected =
      "{\"name\":\"x\\u0009\",\"u8\":200,\"i16\":-3,\"u32\":4000000000,\"f\":0.5,"
      "\"rows\":[{\"pair\":[0,0],\"none\":[]},{\"pair\":[1,-1],\"none\":[]}],\"gap\":null,\"ok\":false}";
  Tool::ValueBuilder builder;
  SampleRecord(builder, "x\t");
  EXPECT_EQ(Tool::ToJson(builder.Take()), expected);
  Tool::JsonWriter writer;
  SampleRecord(writer, "first record, longer than the second one");
  writer.Clear();
  SampleRecord(writer, "x\t");
  EXPECT_EQ(std::string(writer.data(), writer.size()), expected);
}

TEST(JsonWriter, NestedValuesAndEscapes) {
  Value v = Value::Object();
  v.Set("s", std::string("a\"b\\c\r\n\x01\xC3"))
      .Set("list", Value::Array().Push(1).Push(2.5).Push(true).Push(Value()))
      .Set("u", 4294967295u)
      .Set("neg", -7)
      .Set("empty", Value::Object());
  EXPECT_EQ(Tool::ToJson(v),
            "{\"s\":\"a\\\"b\\\\c\\u000d\\u000a\\u0001\\u00c3\",\"list\":[1,2.5,true,null],"
            "\"u\":4294967295,\"neg\":-7,\"empty\":{}}");
}

TEST(TextWriter, HeadingMembersAndTables) {
  Value pos = Value::Object();
  pos.Set("lat", 31.5).Set("time", Value::Array().Push(2026).Push(3).Push(14).Push(8).Push(0).Push(1.5));
  Value sats = Value::Array();
  sats.Push(Value::Object().Set("prn", 2).Set("snr", 45.0));
  sats.Push(Value::Object().Set("prn", 130).Set("snr", 7.5));
  Value record = Value::Object();
  record.Set("kind", 1).Set("flags", 0x10001000u).Set("pos", std::move(pos))
      .Set("sats", Value::Object().Set("1", std::move(sats)));
  EXPECT_EQ(Tool::ToText(record),
            "kind 1  flags 0x10001000\n"
            "  pos        lat 31.5  time 2026-03-14 08:00:01.500\n"
            "  sats.1 (2)\n"
            "    prn  snr\n"
            "      2   45\n"
            "    130  7.5\n");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
