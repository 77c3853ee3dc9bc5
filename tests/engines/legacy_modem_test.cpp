// VI replies of the legacy receivers' GPRS modem and UHF radio, fed as
// reply packets in VI frames.
#include <string>

#include "engines/legacy_receiver.h"
#include "support/values.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::D;
using Testing::U;

class LegacyModem : public LegacyReceiver {
 protected:
  Reports Vi(unsigned char code, const std::string& data) { return Feed("VI", Reply(code, data)); }
};

// A modem information record of `size` data bytes with `items` placed at
// their packet offsets.
std::string InfoRecord(std::size_t size, std::initializer_list<std::pair<unsigned, std::string>> items) {
  std::string data(size, '\0');
  for (const auto& item : items) data.replace(item.first - 7, item.second.size(), item.second);
  return data;
}

TEST_F(LegacyModem, InformationRecordOverTwoFrames) {
  const std::string record = Reply(89, InfoRecord(103, {{7, Le32(0x0A000001)}, {11, "\x08\x4D" "T"},
                                                        {23, "\x05" "apn.x"}, {39, "\x28" + std::string(40, 'b')},
                                                        {71, "\x01\x03" "abc"}, {104, std::string("\x05u\0pw!", 6)}}));
  EXPECT_EQ(Feed("VI", record.substr(0, 60)), Reports{});
  EXPECT_EQ(Feed("VI", record.substr(60)), (Reports{{2, 0x20000000}}));
  const ModemState& m = engine().modem_state;
  EXPECT_EQ((U{m.server_address, m.server_port, m.link, m.switch_byte}), (U{0x0A000001, 2125, 1, 1}));
  EXPECT_EQ((std::vector<std::string>{m.text1, m.text2, m.text3, m.pair_first, m.pair_second}),
            (std::vector<std::string>{"apn.x", std::string(31, 'b'), "abc", "u", "pw!"}));

  // The newer modem: a host name first, every later item 28 bytes on.
  engine().modem_state.kind_flag = 1;
  EXPECT_EQ(Vi(115, InfoRecord(140, {{7, "\x09" "caster.io"}, {39, std::string("\0\x50S", 3)}, {99, "\x07"},
                                     {132, std::string("\x03" "a\0b", 4)}})),
            (Reports{{2, 0x20000000}}));
  EXPECT_EQ((U{m.host_length, m.server_port, m.link, m.switch_byte}), (U{9, 80, 3, 1}));
  EXPECT_EQ((std::vector<std::string>{m.host, m.pair_first, m.pair_second}),
            (std::vector<std::string>{"caster.io", "a", "b"}));

  // A wrong complement or check reports and stores nothing; a length beyond
  // what can be collected, or a record too short for its items, reports
  // nothing.
  std::string wrong = Reply(115, InfoRecord(140, {{7, "\x01x"}}));
  wrong[2] = 0;
  std::string bad_check = Reply(115, InfoRecord(140, {{7, "\x01y"}}));
  bad_check[bad_check.size() - 3] ^= 1;
  EXPECT_EQ(Feed(Frame("VI", wrong) + Frame("VI", bad_check)), (Reports{{2, 0x20000000}, {2, 0x20000000}}));
  EXPECT_EQ(std::string(m.host), "caster.io");
  std::string huge = Reply(115, "");
  huge.replace(3, 4, Le32(2039));
  EXPECT_EQ(Feed(Frame("VI", huge) + Frame("VI", Reply(115, std::string(120, '\0')))), Reports{});
}

TEST_F(LegacyModem, VersionSetsModemKindAndRadioKind) {
  const struct {
    const char* text;
    std::int64_t radio_before, radio_after, kind_flag;
  } cases[] = {
      {"3.56", 1, 3, 0}, {"3.55", 4, 4, 0}, {"3.54", 2, 2, 0}, {"2.90", 2, 2, 1},
      {"3.60", 2, 4, 1}, {"4.70", 6, 6, 1}, {"5.69", 3, 3, 0}, {"2.98", 1, 1, 0},
  };
  for (const auto& c : cases) {
    engine().SetRadioKind(static_cast<std::int32_t>(c.radio_before));
    EXPECT_EQ(Vi(95, c.text), (Reports{{2, 0x1000000}})) << c.text;
    const ModemState& m = engine().modem_state;
    EXPECT_EQ((U{engine().radio_state.kind, m.kind_flag, engine().modem_version_seen}),
              (U{c.radio_after, c.kind_flag, 1}))
        << c.text;
  }
  Testing::ExpectNear({engine().modem_state.version}, {2.98});
  Vi(95, "3.56");  // kind 1 becomes 3, and the limits follow
  EXPECT_EQ(engine().radio_state.limits.highest_mhz, 470.0);
  EXPECT_EQ(Feed(Frame("VI", Reply(95, "298x")) + Frame("VI", Reply(95, "2.9"))), Reports{});
}

TEST_F(LegacyModem, SignalAndTextReplies) {
  const ModemState& m = engine().modem_state;
  const struct {
    const char* answer;
    std::int64_t q, bars;
  } signals[] = {{"AT+CSQ\r\n+CSQ: 23,99\r\nOK", 23, 4}, {"+CSQ: 9,99", 9, 0}, {"+CSQ: 10,0", 10, 1},
                 {"+CSQ: 31,0", 31, 6}, {"+CSQ: 99,99", 99, 0}};
  for (const auto& s : signals) {
    EXPECT_EQ(Vi(101, s.answer), (Reports{{2, 0x200000}})) << s.answer;
    EXPECT_EQ((U{m.signal_q, m.signal_bars}), (U{s.q, s.bars})) << s.answer;
  }
  EXPECT_EQ(Vi(101, "+CSQ:"), Reports{});

  EXPECT_EQ(Vi(108, std::string("one\0\x61" "two\0three\0", 15)), (Reports{{2, 0x10000}}));
  EXPECT_EQ((std::vector<std::string>{m.record.first, m.record.second, m.record.third}),
            (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(m.record_class, 2);
  // A second text without its NUL ends the record there.
  EXPECT_EQ(Vi(108, std::string("uno\0\x40" "dos", 8)), (Reports{{2, 0x10000}}));
  EXPECT_EQ((std::vector<std::string>{m.record.first, m.record.second, m.record.third}),
            (std::vector<std::string>{"uno", "", ""}));
  EXPECT_EQ(m.record_class, 1);

  EXPECT_EQ(Vi(116, "#list1,list2"), (Reports{{2, 0x1000}}));
  EXPECT_EQ(std::string(m.area, m.area + m.area_length), "list1,list2");
}

TEST_F(LegacyModem, SingleValueReplies) {
  const ModemState& m = engine().modem_state;
  const RadioState& r = engine().radio_state;
  const struct {
    unsigned char code;
    char value;
    unsigned flag;
    const std::int32_t& field;
    std::int64_t want;
  } cases[] = {
      {103, 2, 0x800000, m.dial_protocol, 2}, {118, 5, 0x4000, r.power, 5},  {118, 6, 0x4000, r.power, 0},
      {121, 3, 0x8000, r.baud, -1},           {129, 3, 0x800, r.sensitivity, 0}, {137, 3, 0x40, r.channel_space, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Vi(c.code, std::string(1, c.value)), (Reports{{2, c.flag}})) << int{c.code};
    EXPECT_EQ(c.field, c.want) << int{c.code};
  }
  EXPECT_EQ(Vi(131, "\x01") , (Reports{{2, 0x10}}));
  EXPECT_EQ(r.fec, 1);
  EXPECT_EQ(Vi(137, "\x01"), (Reports{{2, 0x40}}));
  EXPECT_EQ((D{r.spacing_khz, static_cast<double>(r.channel_space)}), (D{20.0, 1}));

  // Without data, with a sub-code without a meaning, or without the 0x40
  // start, a reply is dropped; the next one is decoded.
  EXPECT_EQ(Feed(Frame("VI", Reply(99, "")) + Frame("VI", Reply(90, "x")) + Frame("VI", "abc") +
                 Frame("VI", Reply(99, "\x09"))),
            (Reports{{2, 0x8000000}}));
  EXPECT_EQ(m.status, 9);
}

TEST_F(LegacyModem, RadioLists) {
  const RadioState& r = engine().radio_state;
  std::string freqs, types;
  for (unsigned i = 0; i < 16; ++i) {
    freqs += std::string{static_cast<char>(i), '\x90'};
    types += static_cast<char>(i % 3);
  }
  EXPECT_EQ(Feed(Frame("VI", Reply(133, freqs)) + Frame("VI", Reply(147, types))),
            (Reports{{8, 0x400}, {8, 0x200}}));
  EXPECT_EQ((D{r.channel_freq[0], r.channel_freq[15], static_cast<double>(r.channel_type[14])}), (D{0x9000, 0x900F, 2}));
  EXPECT_EQ(Feed(Frame("VI", Reply(133, freqs.substr(1))) + Frame("VI", Reply(147, types + "x"))), Reports{});

  EXPECT_EQ(Vi(145, "\x01\x1E" "CALL"), (Reports{{2, 0x20}}));
  EXPECT_EQ((U{r.callsign_enabled, r.callsign_interval, r.callsign_length}), (U{1, 30, 4}));
  EXPECT_EQ(std::string(r.callsign), "CALL");
  EXPECT_EQ(Vi(145, "\x01\x1E" + std::string(15, 'C')), Reports{});  // call signs are shorter than 15
}

TEST_F(LegacyModem, ChannelToFrequencyByRadioKind) {
  const struct {
    std::int32_t kind;
    double spacing;  // kind-8 channel spacing
    std::string channel;
    double want;
  } cases[] = {
      {1, 0, "\x14", 456.0},                    // 20 * 0.05 + 455
      {2, 0, "\x05\x80", 410.0},                // channel -5, kept within the limits
      {3, 0, "\xFF", 450.0},                    // 3.1875 MHz, kept within the limits
      {9, 0, "\xC1\x8F", 460.0125},             // 36801 * 0.0125
      {8, 20, "\xE9\x4E", 404.02},              // 20201 * 20 kHz, not rounded further
      {8, 0, "\x40\x7E", 404.0},                // 32320 * 12.5 kHz before any spacing reply
      {8, 20, "\xFF", 403.0},
      {4, 0, "\xC1\x8F", -1},                   // no frequency in the 11-byte form
      {0, 0, "\x14", -1},                       // radio kind unknown
  };
  for (const auto& c : cases) {
    engine().SetRadioKind(c.kind);
    engine().radio_state.spacing_khz = c.spacing;
    engine().radio_state.frequency_mhz = -1;
    const std::string data = "\x07" + c.channel + std::string(8, '\0');  // 10 or 11 bytes
    EXPECT_EQ(Vi(110, data), (Reports{{2, 0x2000000}})) << c.kind;
    EXPECT_EQ((D{engine().radio_state.frequency_mhz, static_cast<double>(engine().radio_state.setting)}),
              (D{c.want, 7}))
        << c.kind;
  }
  EXPECT_EQ(Vi(98, std::string(12, '\x01')), Reports{});
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
