// The software-receiver adapter: bracketed NovAtel commands, the board's logs,
// and positioning sessions with an in-process server (a fake registered as
// the server's class).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "boards/board_test_support.h"
#include "boards/softrcv/softrcv_decoder.h"
#include "platform/com_server.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
using namespace SoftRcv;

const std::string kBegin("$$IM\x18\x01\x01\x1C\r\n", 10), kEnd("$$IM\x18\x01\x02\x1F\r\n", 10);

std::vector<std::string> Texts(const CommandList& cmds) { return CommandTexts(cmds, 50); }

struct SoftBoard : Board {
  SoftBoard() : Board(CreateSoftReceiverAdapter()) {}
  SoftReceiverDecoder& decoder() { return *static_cast<SoftReceiverDecoder*>(adapter->decoder); }
  std::vector<std::string> Commands(void (BoardAdapter::*op)(CommandList&)) {
    CommandList cmds;
    (adapter.get()->*op)(cmds);
    return Texts(cmds);
  }
};

TEST(SoftReceiverCommands, BracketsRatesAndStarts) {
  SoftBoard b;
  ASSERT_NE(b.adapter, nullptr);
  EXPECT_EQ(b.Commands(&BoardAdapter::Unlog), (std::vector<std::string>{kBegin, "unlogall\r\n", kEnd}));
  CommandList cmds;
  b.adapter->SetPosRate(cmds, GNSS_FRQ_STOP);
  b.adapter->SetPosRate(cmds, GNSS_FRQ_10HZ);
  b.adapter->SetElevMask(cmds, 12, 1);
  b.adapter->SetElevMask(cmds, 7, 3);
  EXPECT_EQ(Texts(cmds), (std::vector<std::string>{"log bestposb ontime 1\r\n", "log bestposb ontime 0.1\r\n",
                                                    kBegin, "ecutoff 12\r\n", kEnd, kBegin, "gloecutoff 7\r\n",
                                                    kEnd}));
  b.adapter->commands->rover.diff_format = 4;
  EXPECT_EQ(b.Commands(&BoardAdapter::StartRover)[1], "rtksource rtcm\r\n");

  Base_Config& base = b.adapter->commands->base;
  base.diff_format = 7;
  base.output_route = 2;
  base.port = 0;
  base.latitude = 30 * kDeg;
  base.longitude = -100.5 * kDeg;
  base.height = 12.3456;
  EXPECT_EQ(b.Commands(&BoardAdapter::StartBase),
            (std::vector<std::string>{"ecutoff 10\r\n", "rtkelevmask user 10\r\n", "gloecutoff 5.0",
                                      "fix position 30.00000000 -100.50000000 12.346\r\n", kBegin,
                                      "unlogall com1\r\n", "log com1 rtcmdata1004b ontime 1\r\n",
                                      "log com1 rtcmdata1005b ontime 5\r\n", "log gprs rtcmdata1004b ontime 1\r\n",
                                      "log gprs rtcmdata1005b ontime 5\r\n"}));
  base.diff_format = 6;
  base.output_route = 1;
  EXPECT_EQ(b.Commands(&BoardAdapter::StartBase).back(), "log gprs cmrdataobsb ontime 1\r\n");
}

TEST(SoftReceiverLogs, BoardLogsAndChannelTables) {
  SoftBoard b;
  // Logs written out byte by byte in the board's log frame (28-byte header
  // of week 1562, CRC-32 at the end), numbers little-endian. Log 912: the
  // count says three channels, the body holds two: satellite 5 at 45 / 270
  // degrees, signals 44.5 and 38 dB-Hz; satellite 12 at -3 / 10, 20 and 0.
  const std::vector<unsigned char> satellites = {
      0xAA, 0x44, 0x12, 0x1C, 0x90, 0x03, 0x00, 0x20, 0x24, 0x00, 0x00, 0x00, 0x00, 0xB4,  // ID 912, 36 bytes
      0x1A, 0x06, 0x00, 0x70, 0x99, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x03, 0x00, 0x00, 0x00,                                                              // count
      0x05, 0x00, 0x2D, 0x00, 0x0E, 0x01, 0x00, 0x00, 0x00, 0x00, 0x32, 0x42, 0x00, 0x00, 0x18, 0x42,
      0x0C, 0x00, 0xFD, 0xFF, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0x00, 0x00,
      0x5B, 0x94, 0x8A, 0xC0};
  ASSERT_TRUE(b.Feed(Sim::Frame(satellites.begin(), satellites.end())));
  const SatTable& gps = b.decoder().Table(kTableGps);
  ASSERT_EQ(gps.count, 2u);
  EXPECT_EQ((U{gps.sats[0].prn, gps.sats[0].elevation, gps.sats[0].azimuth, gps.sats[1].prn, gps.sats[1].elevation,
               gps.sats[1].azimuth}),
            (U{5, 45, 270, 12, -3, 10}));
  EXPECT_EQ((D{gps.sats[0].snr, gps.sats[0].snr2, gps.sats[1].snr}), (D{44.5, 38.0, 20.0}));
  EXPECT_EQ(b.decoder().msg_flags, 0x8000000u | 0x200000u);
  // Log 911: satellite 5 in state 0x0C at 44.5 dB-Hz, satellite 12 in state
  // 1 at 20 dB-Hz.
  const std::vector<unsigned char> channels = {
      0xAA, 0x44, 0x12, 0x1C, 0x8F, 0x03, 0x00, 0x20, 0x14, 0x00, 0x00, 0x00, 0x00, 0xB4,  // ID 911, 20 bytes
      0x1A, 0x06, 0x00, 0x70, 0x99, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x02, 0x00, 0x00, 0x00, 0x05, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x32, 0x42,
      0x0C, 0x00, 0x01, 0x00, 0x00, 0x00, 0xA0, 0x41, 0x80, 0x81, 0x14, 0xFF};
  ASSERT_TRUE(b.Feed(Sim::Frame(channels.begin(), channels.end())));
  const SoftReceiverDecoder& d = b.decoder();
  EXPECT_EQ((U{d.channel_count, d.channels[0].prn, d.channels[0].state, d.channels[1].prn, d.channels[1].state}),
            (U{2, 5, 0x0C, 12, 1}));
  EXPECT_EQ((D{d.channels[0].cn0, d.channels[1].cn0}), (D{44.5, 20.0}));

  Sim::NovAtelHeader h;
  // SATVIS is read and set aside; a frame of another kind changes nothing.
  EXPECT_TRUE(b.Feed(Sim::NovAtelLog(48, h, std::vector<std::uint8_t>(40, 1))));
  EXPECT_EQ(b.decoder().msg_flags, 0u);
  EXPECT_TRUE(b.Feed(std::string("\x02\x00\x93xyz", 6)));
  EXPECT_EQ(b.frame().length, 0u);
}

#if defined(_WIN32)
// The test server (tests/boards/solver_server.cpp), registered with regsvr32
// before this program runs and reached through the system's COM. Its
// KsTestSolver* functions tell what it received.
class TestServer {
 public:
  TestServer() : module_(LoadLibraryW(L"ksparse_test_solver.dll")) {}
  ~TestServer() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  bool Loaded() const { return module_ != nullptr; }
  std::string Log() const {
    char text[1024];
    Entry<unsigned (*)(char*, unsigned)>("KsTestSolverLog")(text, sizeof text);
    return text;
  }
  void Clear(unsigned entries) const { Entry<void (*)(unsigned)>("KsTestSolverClear")(entries); }
  unsigned long DeliveredOn(unsigned ms) const {
    return Entry<unsigned long (*)(unsigned)>("KsTestSolverDelivered")(ms);
  }
  long Objects() const { return Entry<long (*)()>("KsTestSolverObjects")(); }

 private:
  template <typename F>
  F Entry(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }
  HMODULE module_;
};

TEST(SoftReceiverSession, RealComServerCallsSolutionsAndRelease) {
  TestServer server;
  ASSERT_TRUE(server.Loaded());
  server.Clear(2);
  CommandList cmds;
  {
    SoftBoard b;
    b.adapter->StartRover(cmds);
    ASSERT_NE(b.decoder().solver, nullptr) << "is ksparse_test_solver.dll registered?";
    // The solution comes from the server's own thread.
    const unsigned long thread = server.DeliveredOn(10000);
    ASSERT_NE(thread, 0ul);
    EXPECT_NE(thread, GetCurrentThreadId());
    EXPECT_EQ(server.Log(),
              "entries 8\nsubscribe\nstation Base on\nstation Rover on\nconfigure 5 1 1000 10 1 0 0 1 0\nstart\n");
    const SoftReceiverDecoder& d = b.decoder();
    ExpectNear(D{d.latitude, d.longitude, d.height, d.sigma_lat, d.sigma_lon, d.sigma_vertical, d.diff_age},
               D{0.5729577951308232, -1.1459155902616465, 30, 2, 3, 4, 2.5}, 1e-12);
    EXPECT_EQ((U{d.solution_code, d.msg_flags}), (U{6, 0xB0000000u}));
    server.Clear(2);
    b.adapter->StartRover(cmds);  // a running session is restarted
    EXPECT_EQ(server.Log(), "restart 0 3\n");
    server.Clear(2);
  }
  EXPECT_EQ(server.Log(), "stop 0\nrelease\n");
  EXPECT_EQ(server.Objects(), 0);

  // Choosing another board ends the session of the one replaced.
  {
    Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_SOFT_RECEIVER);
    std::vector<_STR_CMD> packets;
    gnss.Get_Gnss_StartRover(packets);
    ASSERT_NE(server.DeliveredOn(10000), 0ul);
    server.Clear(2);
    EXPECT_TRUE(gnss.Reset_GnsMd(OEM_NOVATEL));
    EXPECT_EQ(server.Log(), "stop 0\nrelease\n");
  }

  // A server offering no entries is let go at once.
  server.Clear(0);
  {
    SoftBoard b;
    b.adapter->StartRover(cmds);
    EXPECT_EQ(b.decoder().solver, nullptr);
  }
  EXPECT_EQ(server.Log(), "entries 8\nstop 0\nrelease\n");
  EXPECT_EQ(server.Objects(), 0);
  server.Clear(2);
}
#else
// A fake positioning server that records the calls it receives.
class FakeSolver final : public ISolver {
 public:
  static FakeSolver* last;
  static std::uint32_t entries;
  std::vector<std::string> calls;
  ISolutionSink* sink = nullptr;
  std::uint32_t refs = 1;

  HResult QueryInterface(const Guid&, void**) override { return Platform::kFail; }
  std::uint32_t AddRef() override { return ++refs; }
  std::uint32_t Release() override {
    calls.push_back("release");
    return --refs;
  }
  HResult Slot3() override { return 0; }
  HResult Slot4() override { return 0; }
  HResult AddStation(const SolverStation* s, std::int32_t*) override {
    calls.push_back(std::string("station ") + s->name + (s->enabled == 1 ? " on" : " off"));
    return 0;
  }
  HResult Configure(const SolverConfig* c, std::int32_t*) override {
    std::string words = "configure";
    for (int i = 0; i < 9; ++i) words += " " + std::to_string(c->words[i]);
    calls.push_back(words);
    return 0;
  }
  HResult Subscribe(ISolutionSink* s, std::uint32_t*) override {
    sink = s;
    sink->AddRef();
    calls.push_back("subscribe");
    return 0;
  }
  HResult Stop(std::int32_t mode) override {
    calls.push_back("stop " + std::to_string(mode));
    if (sink != nullptr) sink->Release(), sink = nullptr;
    return 0;
  }
  HResult Slot9() override { return 0; }
  HResult Slot10() override { return 0; }
  HResult Restart(std::int32_t a, std::int32_t b) override {
    calls.push_back("restart " + std::to_string(a) + " " + std::to_string(b));
    return 0;
  }
  HResult Start() override {
    calls.push_back("start");
    return 0;
  }
  HResult Slot13() override { return 0; }
  HResult Slot14() override { return 0; }
  HResult Slot15() override { return 0; }
  HResult Slot16() override { return 0; }
  HResult Slot17() override { return 0; }
  HResult Slot18() override { return 0; }
  HResult Slot19() override { return 0; }
  HResult Entries(SolverEntry*, std::uint32_t capacity, std::uint32_t* count) override {
    calls.push_back("entries " + std::to_string(capacity));
    *count = entries;
    return 0;
  }

  static HResult Create(const Guid& iid, void** object) {
    if (!(iid == kSolverInterface)) return Platform::kFail;
    static FakeSolver instance;
    instance = FakeSolver();
    last = &instance;
    *object = static_cast<ISolver*>(&instance);
    return 0;
  }
};
FakeSolver* FakeSolver::last = nullptr;
std::uint32_t FakeSolver::entries = 2;

TEST(SoftReceiverSession, ServerCallsAndSolutions) {
  CommandList cmds;
  {
    SoftBoard b;
    b.adapter->StartRover(cmds);  // no server installed: positions come from the board only
    EXPECT_EQ(b.decoder().solver, nullptr);
  }
  ASSERT_TRUE(Platform::RegisterInProcessClass(kSolverClass, &FakeSolver::Create));
  {
    SoftBoard b;
    b.adapter->StartRover(cmds);
    ASSERT_NE(b.decoder().solver, nullptr);
    FakeSolver& server = *FakeSolver::last;
    EXPECT_EQ(server.calls, (std::vector<std::string>{"entries 8", "subscribe", "station Base on", "station Rover on",
                                                      "configure 5 1 1000 10 1 0 0 1 0", "start"}));
    // A solution 88 bytes into the notification.
    std::vector<unsigned char> data(kSolutionOffset + sizeof(SolverSolution));
    SolverSolution s = {};
    s.type = 4;
    s.latitude = 0.01;
    s.longitude = -0.02;
    s.height = 50;
    s.undulation = 20;
    s.variance_lat = 4, s.variance_lon = 9, s.variance_height = 16;
    s.age = 0.0025;
    std::memcpy(data.data() + kSolutionOffset, &s, sizeof s);
    server.sink->OnSolution(data.data());
    const SoftReceiverDecoder& d = b.decoder();
    ExpectNear(D{d.latitude, d.longitude, d.height, d.sigma_lat, d.sigma_lon, d.sigma_vertical, d.diff_age},
               D{0.5729577951308232, -1.1459155902616465, 30, 2, 3, 4, 2.5}, 1e-12);
    EXPECT_EQ((U{d.solution_code, d.msg_flags}), (U{11, 0xB0000000u}));
    // A second start restarts the running session.
    b.adapter->StartRover(cmds);
    EXPECT_EQ(server.calls.back(), "restart 0 3");
    server.calls.clear();
  }
  EXPECT_EQ(FakeSolver::last->calls, (std::vector<std::string>{"stop 0", "release"}));
  // A server offering no entries is let go at once.
  FakeSolver::entries = 0;
  {
    SoftBoard b;
    b.adapter->StartRover(cmds);
    EXPECT_EQ(b.decoder().solver, nullptr);
    EXPECT_EQ(FakeSolver::last->calls, (std::vector<std::string>{"entries 8", "stop 0", "release"}));
  }
  FakeSolver::entries = 2;
  Platform::RegisterInProcessClass(kSolverClass, nullptr);
}
#endif

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
