#include "boards/softrcv/softrcv_decoder.h"

#include <cmath>
#include <cstring>
#include <new>

#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

using namespace NovAtel;

constexpr unsigned kIdChannels = 911;
constexpr unsigned kIdSatellites = 912;
constexpr double kAngleScale = 57.29577951308232;
constexpr double kAgeScale = 1000.0;

// Log 911: u32 count, then {u16 satellite, u16 state, f32 C/N0} per channel.
constexpr unsigned kChannelEntry = 8;
// Log 912: u32 count, then {u16 satellite, i16 elevation, u16 azimuth,
// u16 reserved, f32 signal 1, f32 signal 2} per channel.
constexpr unsigned kSatelliteEntry = 16;

// Entries that both the announced count and the body hold, at most `limit`.
unsigned EntriesIn(const unsigned char* body, unsigned size, unsigned entry, unsigned limit) {
  if (size < 4) return 0;
  const std::uint32_t announced = U32(body);
  const unsigned fit = (size - 4) / entry;
  const std::uint32_t n = announced < fit ? announced : fit;
  return n < limit ? n : limit;
}

void SolutionThunk(void* context, const unsigned char* data) {
  static_cast<SoftReceiverDecoder*>(context)->OnSolution(data);
}

SoftRcv::SolverStation Station(const char* name) {
  SoftRcv::SolverStation s = {};
  std::strncpy(s.name, name, sizeof s.name - 1);
  s.enabled = 1;
  return s;
}

}  // namespace

SoftReceiverDecoder::~SoftReceiverDecoder() { EndSession(); }

bool SoftReceiverDecoder::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  if (data == nullptr || id == 0 || length == 0) return false;
  msg_flags = 0;
  if (length < kHeaderLength + kCrcLength) return true;
  const unsigned char* body = data + kHeaderLength;
  const unsigned body_size = length - kHeaderLength - kCrcLength;
  switch (id) {
    case kIdPsrDop:
    case kIdVersion:
    case kIdRawEphem:
    case kIdBestPos:
    case kIdRange:
    case kIdRangeCmp:
      return NovAtelDecoder::DecodeMessage(data, id, length);
    case kIdRefStation:
      KeepBytes(refstation_head, kRefStationKept, data, length);
      msg_flags = MsgBit::kBaseInfo;
      return true;
    case kIdChannels:
      return DecodeChannels(body, body_size);
    case kIdSatellites:
      return DecodeSatellites(body, body_size);
    default:  // SATVIS (48) and every other log: read and set aside
      return true;
  }
}

bool SoftReceiverDecoder::DecodeChannels(const unsigned char* body, unsigned size) {
  channel_count = EntriesIn(body, size, kChannelEntry, kChannels);
  for (unsigned i = 0; i < channel_count; ++i) {
    const unsigned char* e = body + 4 + i * kChannelEntry;
    channels[i] = {U16(e), U16(e + 2), F32(e + 4)};
  }
  return true;
}

bool SoftReceiverDecoder::DecodeSatellites(const unsigned char* body, unsigned size) {
  SatTable& gps = Table(kTableGps);
  gps.count = EntriesIn(body, size, kSatelliteEntry, SatTable::kCapacity);
  for (unsigned i = 0; i < gps.count; ++i) {
    const unsigned char* e = body + 4 + i * kSatelliteEntry;
    SATLLITE_STR& s = gps.sats[i];
    s = {};
    s.prn = U16(e);
    s.elevation = static_cast<std::int16_t>(U16(e + 2));
    s.azimuth = U16(e + 4);
    s.snr = F32(e + 8);
    s.snr2 = F32(e + 12);
  }
  // The GPS table, announced with the flags this board has always raised for it.
  msg_flags = MsgBit::kGpsSats | MsgBit::kBeidouSats;
  return true;
}

bool SoftReceiverDecoder::StartSession() {
  using namespace SoftRcv;
  if (solver != nullptr) {
    solver->Restart(0, 3);
    return false;
  }
  void* object = nullptr;
  if (Platform::CoCreateInstance(kSolverClass, nullptr, 1, kSolverInterface, &object) < 0 || object == nullptr) {
    Platform::CoUninitialize();
    return false;
  }
  solver = static_cast<ISolver*>(object);
  SolverEntry entries[8] = {};
  std::uint32_t count = 0;
  solver->Entries(entries, 8, &count);
  if (count < 1) {
    EndSession();
    return false;
  }
  sink = new (std::nothrow) SolutionSink(this, SolutionThunk);
  if (sink == nullptr) {
    EndSession();
    return false;
  }
  void* sink_interface = nullptr;
  sink->QueryInterface(kSinkInterface, &sink_interface);  // the decoder's reference
  std::uint32_t cookie = 0;
  solver->Subscribe(static_cast<ISolutionSink*>(sink_interface), &cookie);
  std::int32_t out = 0;
  const SolverStation base = Station("Base"), rover = Station("Rover");
  solver->AddStation(&base, &out);
  solver->AddStation(&rover, &out);
  SolverConfig config = {{5, 1, 1000, 10, 1, 0, 0, 1}};
  solver->Configure(&config, &out);
  solver->Start();
  return true;
}

void SoftReceiverDecoder::EndSession() {
  if (solver != nullptr) {
    solver->Stop(0);
    solver->Release();
    solver = nullptr;
  }
  if (sink != nullptr) {
    sink->Detach();
    sink->Release();
    sink = nullptr;
  }
}

void SoftReceiverDecoder::OnSolution(const unsigned char* data) {
  std::memcpy(&solution, data + SoftRcv::kSolutionOffset, sizeof solution);
  msg_flags = 0;
  latitude = solution.latitude * kAngleScale;
  longitude = solution.longitude * kAngleScale;
  height = solution.height - solution.undulation;
  sigma_lat = std::sqrt(solution.variance_lat);
  sigma_lon = std::sqrt(solution.variance_lon);
  sigma_vertical = std::sqrt(solution.variance_height);
  diff_age = solution.age * kAgeScale;
  switch (solution.type) {
    case 0: break;
    case 1: solution_code = 4; break;
    case 2:
    case 5: break;
    case 3: solution_code = 6; break;
    case 4: solution_code = 11; break;
    default: solution_code = 0; break;
  }
  msg_flags = 0xB0000000u;
}

}  // namespace KsParse
}  // namespace Kestrel
