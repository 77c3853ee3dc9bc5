// NMEA-only adapters (kinds 5 and 6): construction, talker sets, the silent
// command set and DecodeMessage.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "boards/adapter_factory.h"
#include "boards/nmea/nmea_only_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

using AdapterPtr = std::unique_ptr<BoardAdapter>;

bool Feed(BoardAdapter& a, const std::string& text) {
  a.frame->Append(text.data(), static_cast<std::uint32_t>(text.size()));
  return a.ProcessFrame();
}

TEST(NmeaOnlyAdapterTest, FactoryBuildsCompleteAdaptersOfKindsFiveAndSix) {
  for (std::uint32_t kind : {5u, 6u}) {
    AdapterPtr a(CreateNmeaOnlyAdapter(kind));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->oem_type, kind);
    EXPECT_TRUE(a->frame != nullptr && a->commands != nullptr && a->decoder != nullptr);
  }
  for (std::uint32_t kind : {0u, 4u, 7u, 0xFFFFFFFFu}) EXPECT_EQ(CreateNmeaOnlyAdapter(kind), nullptr);
}

TEST(NmeaOnlyAdapterTest, CommandOperationsAppendNothing) {
  AdapterPtr a(CreateNmeaOnlyAdapter(5));
  CommandList cmds(1);  // one record of the caller's that must stay alone
  a->commands->Init(cmds);
  a->StartBase(cmds);
  a->StartRover(cmds);
  a->Reset(cmds);
  a->SetElevMask(cmds, 10, 4);
  a->SetSatUse(cmds, 3, true, 0);
  a->SetNmea(cmds, 0x1, GNSS_FRQ_1HZ, 1);
  a->SetNmeaList(cmds, {{0x1, GNSS_FRQ_1HZ}});
  a->SetPosRate(cmds, GNSS_FRQ_5HZ);
  a->SendObs(cmds, GNSS_FRQ_1HZ);
  a->SendEphemeris(cmds, GNSS_FRQ_1HZ);
  a->SendEphemSat(cmds, 5);
  a->QueryElevMask(cmds);
  a->Unlog(cmds);
  a->PassCom(cmds, 2);
  EXPECT_EQ(cmds.size(), 1u);
}

TEST(NmeaOnlyAdapterTest, TalkerSetsDecideWhatIsDecoded) {
  const std::string gn = "$GNGGA,003956.00,4552.65403,S,17030.00668,E,1,12,0.64,14.2,M,1.8,M,,*56\r\n";
  const std::string gl = "$GLGSV,1,1,01,65,53,144,40*7A\r\n";
  AdapterPtr first(CreateNmeaOnlyAdapter(5));
  AdapterPtr second(CreateNmeaOnlyAdapter(6));

  EXPECT_TRUE(Feed(*first, gn));  // discarded, reported as handled
  EXPECT_EQ(first->frame->length, 0u);
  EXPECT_EQ(first->decoder->gga_length, 0u);
  EXPECT_TRUE(Feed(*second, gn));
  EXPECT_EQ(second->decoder->gga_length, gn.size());

  for (BoardAdapter* a : {first.get(), second.get()}) {
    EXPECT_TRUE(Feed(*a, gl));
    EXPECT_EQ(a->decoder->tables[kTableGlonass].sats[0].prn, 38);
    EXPECT_TRUE(Feed(*a, std::string("\xD3\x00\x13garbage", 10)));  // not NMEA: discarded
    EXPECT_EQ(a->frame->length, 0u);
    EXPECT_FALSE(Feed(*a, "$G"));  // too short to classify: kept
    EXPECT_EQ(a->frame->length, 2u);
    a->frame->Clear();
  }
  EXPECT_TRUE(Feed(*first, "$BDGSV,1,1,01,201,45,100,40*00\r\n"));
  EXPECT_EQ(first->decoder->tables[kTableBeidou].count, 0u);
  EXPECT_TRUE(Feed(*second, "$BDGSV,1,1,01,201,45,100,40*00\r\n"));
  EXPECT_EQ(second->decoder->tables[kTableBeidou].count, 1u);
}

TEST(NmeaOnlyAdapterTest, DecodeMessageShortCutOfKindFive) {
  AdapterPtr first(CreateNmeaOnlyAdapter(5));
  AdapterPtr second(CreateNmeaOnlyAdapter(6));
  const unsigned char byte = 1;
  first->decoder->msg_flags = second->decoder->msg_flags = 5;
  EXPECT_TRUE(first->DecodeMessage(nullptr, 0, 0));  // never reaches the decoder
  EXPECT_FALSE(second->DecodeMessage(nullptr, 0, 1));
  EXPECT_FALSE(second->DecodeMessage(&byte, 0, 0));
  EXPECT_EQ(first->decoder->msg_flags + second->decoder->msg_flags, 10u);
  EXPECT_TRUE(second->DecodeMessage(&byte, 9, 1));
  EXPECT_EQ(second->decoder->msg_flags, 0u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
