// The in-process positioning server of the software receiver, as this
// library calls it: its class and interface identifiers, the solver
// interface in vtable slot order, the records exchanged, and the sink object
// through which the server delivers solutions.
#pragma once

#include <cstdint>

#include "platform/com_server.h"

namespace Kestrel {
namespace KsParse {
namespace SoftRcv {

using Platform::Guid;
using Platform::HResult;

// {6B1F2A40-3C5D-4E8A-9B7C-1D2E3F405161} and its siblings.
constexpr Guid kSolverClass = {0x6B1F2A40, 0x3C5D, 0x4E8A, {0x9B, 0x7C, 0x1D, 0x2E, 0x3F, 0x40, 0x51, 0x61}};
constexpr Guid kSolverInterface = {0x6B1F2A41, 0x3C5D, 0x4E8A, {0x9B, 0x7C, 0x1D, 0x2E, 0x3F, 0x40, 0x51, 0x61}};
constexpr Guid kSinkInterface = {0x6B1F2A42, 0x3C5D, 0x4E8A, {0x9B, 0x7C, 0x1D, 0x2E, 0x3F, 0x40, 0x51, 0x61}};

#pragma pack(push, 1)

// A station the solver works with ("Base", "Rover").
struct SolverStation {
  char name[32];
  std::uint32_t reserved[6];
  std::uint32_t enabled;
};

struct SolverConfig {
  std::uint32_t words[16];
};

// One processing entry that the server offers.
struct SolverEntry {
  std::uint32_t id;
  char name[28];
};

// The solution as the server reports it. Angles come scaled down by the
// radian-per-degree factor and the age in thousands of seconds: the
// decoder's scale factors bring them to radians and seconds.
struct SolverSolution {
  std::uint32_t type;  // 0 none, 1 single, 2 SBAS, 3 float, 4 fixed, 5 dead reckoning
  std::uint32_t reserved0;
  double latitude;
  double longitude;
  double height;       // metres, ellipsoidal
  double undulation;   // metres
  double variance_lat;
  double variance_lon;
  double variance_height;
  double age;
  unsigned char reserved[224];
};

#pragma pack(pop)

static_assert(sizeof(SolverSolution) == 296, "the solution record is 296 bytes");
constexpr unsigned int kSolutionOffset = 88;  // of the solution in the notification data

class ISolutionSink;

// The solver, in the server's vtable order; the slots this library does not
// call are kept as placeholders.
class ISolver {
 public:
  virtual HResult KSPARSE_COM_CALL QueryInterface(const Guid& iid, void** object) = 0;  // 0
  virtual std::uint32_t KSPARSE_COM_CALL AddRef() = 0;                                  // 1
  virtual std::uint32_t KSPARSE_COM_CALL Release() = 0;                                 // 2
  virtual HResult KSPARSE_COM_CALL Slot3() = 0;
  virtual HResult KSPARSE_COM_CALL Slot4() = 0;
  virtual HResult KSPARSE_COM_CALL AddStation(const SolverStation* station, std::int32_t* handle) = 0;  // 5
  virtual HResult KSPARSE_COM_CALL Configure(const SolverConfig* config, std::int32_t* result) = 0;     // 6
  virtual HResult KSPARSE_COM_CALL Subscribe(ISolutionSink* sink, std::uint32_t* cookie) = 0;          // 7
  virtual HResult KSPARSE_COM_CALL Stop(std::int32_t mode) = 0;                                        // 8
  virtual HResult KSPARSE_COM_CALL Slot9() = 0;
  virtual HResult KSPARSE_COM_CALL Slot10() = 0;
  virtual HResult KSPARSE_COM_CALL Restart(std::int32_t mode, std::int32_t what) = 0;  // 11
  virtual HResult KSPARSE_COM_CALL Start() = 0;                                        // 12
  virtual HResult KSPARSE_COM_CALL Slot13() = 0;
  virtual HResult KSPARSE_COM_CALL Slot14() = 0;
  virtual HResult KSPARSE_COM_CALL Slot15() = 0;
  virtual HResult KSPARSE_COM_CALL Slot16() = 0;
  virtual HResult KSPARSE_COM_CALL Slot17() = 0;
  virtual HResult KSPARSE_COM_CALL Slot18() = 0;
  virtual HResult KSPARSE_COM_CALL Slot19() = 0;
  virtual HResult KSPARSE_COM_CALL Entries(SolverEntry* entries, std::uint32_t capacity,
                                           std::uint32_t* count) = 0;  // 20

 protected:
  ~ISolver() = default;
};

// The notification interface the server calls back.
class ISolutionSink {
 public:
  virtual HResult KSPARSE_COM_CALL QueryInterface(const Guid& iid, void** object) = 0;
  virtual std::uint32_t KSPARSE_COM_CALL AddRef() = 0;
  virtual std::uint32_t KSPARSE_COM_CALL Release() = 0;
  virtual HResult KSPARSE_COM_CALL Event3() = 0;
  virtual HResult KSPARSE_COM_CALL Event4() = 0;
  virtual HResult KSPARSE_COM_CALL Event5() = 0;
  virtual HResult KSPARSE_COM_CALL Event6() = 0;
  virtual HResult KSPARSE_COM_CALL Event7() = 0;
  virtual HResult KSPARSE_COM_CALL Event8() = 0;
  // A new solution: the record lies at kSolutionOffset of `data`.
  virtual HResult KSPARSE_COM_CALL OnSolution(const unsigned char* data) = 0;  // 9
  virtual HResult KSPARSE_COM_CALL Event10() = 0;
  virtual HResult KSPARSE_COM_CALL Event11() = 0;

 protected:
  ~ISolutionSink() = default;
};

// The library's sink: forwards each solution to `callback(context, data)`.
// Reference counted; it destroys itself when the count returns to 0.
class SolutionSink final : public ISolutionSink {
 public:
  using Callback = void (*)(void* context, const unsigned char* data);
  SolutionSink(void* context, Callback callback) : context_(context), callback_(callback) {}

  HResult KSPARSE_COM_CALL QueryInterface(const Guid&, void** object) override {
    *object = this;  // one interface, whatever is asked
    AddRef();
    return Platform::kOk;
  }
  std::uint32_t KSPARSE_COM_CALL AddRef() override { return ++references_; }
  std::uint32_t KSPARSE_COM_CALL Release() override {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HResult KSPARSE_COM_CALL Event3() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event4() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event5() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event6() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event7() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event8() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL OnSolution(const unsigned char* data) override {
    if (context_ != nullptr && data != nullptr) callback_(context_, data);
    return Platform::kOk;
  }
  HResult KSPARSE_COM_CALL Event10() override { return Platform::kOk; }
  HResult KSPARSE_COM_CALL Event11() override { return Platform::kOk; }

  // The decoder going away: later notifications are ignored.
  void Detach() { context_ = nullptr; }

 private:
  ~SolutionSink() = default;
  std::uint32_t references_ = 0;
  void* context_;
  Callback callback_;
};

}  // namespace SoftRcv
}  // namespace KsParse
}  // namespace Kestrel
