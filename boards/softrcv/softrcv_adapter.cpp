#include "boards/softrcv/softrcv_adapter.h"

#include <new>

#include "boards/adapter_factory.h"
#include "boards/novatel/novatel_adapter.h"
#include "boards/novatel/novatel_wire.h"
#include "boards/softrcv/softrcv_commands.h"
#include "boards/softrcv/softrcv_decoder.h"
#include "platform/com_server.h"

namespace Kestrel {
namespace KsParse {

namespace {

// COM is initialised once for the process; a failed or repeated
// initialisation is not tried again.
Platform::HResult com_init_result = 0;

// Registers the positioning server, when it is installed.
void RegisterServer() {
  wchar_t host[260];
  Platform::GetModuleFileNameW(nullptr, host, 260);
  Platform::ModuleHandle module = Platform::LoadLibraryW(SoftReceiverAdapter::kServerPath);
  if (module == nullptr) return;
  using Register = Platform::HResult(KSPARSE_COM_CALL*)();
  Platform::ProcAddress entry = Platform::GetProcAddressW(module, L"DllRegisterServer");
  if (entry != nullptr) reinterpret_cast<Register>(entry)();
  Platform::FreeLibrary(module);
}

}  // namespace

SoftReceiverAdapter::SoftReceiverAdapter() {
  oem_type = OEM_SOFT_RECEIVER;
  frame_starts = "\xAA$";
  commands = new (std::nothrow) SoftReceiverCommandSet();
  decoder = new (std::nothrow) SoftReceiverDecoder;
  if (com_init_result == 0) com_init_result = Platform::CoInitializeEx(nullptr, 0);
  RegisterServer();
}

bool SoftReceiverAdapter::ProcessFrame() {
  FrameBuffer& f = *frame;
  if (f.length < 3) return false;
  const unsigned char* d = f.data;
  if (d[0] == NovAtel::kSync0 && d[1] == NovAtel::kSync1 && d[2] == NovAtel::kSync2) return TakeNovAtelFrame(*this);
  if (IsNmeaStart(d, "GPGL")) return ProcessNmeaFrame(*this);
  // Anything else is taken as handled without a change. The buffer is
  // emptied here rather than left to the engine, a deliberate receive-side
  // choice: bytes kept would be glued to the front of the next frame and
  // spoil it.
  f.Clear();
  decoder->msg_flags = 0;
  return true;
}

void SoftReceiverAdapter::StartRover(CommandList& cmds) {
  commands->StartRover(cmds);
  static_cast<SoftReceiverDecoder*>(decoder)->StartSession();
}

BoardAdapter* CreateSoftReceiverAdapter() {
  return CompleteAdapter(new (std::nothrow) SoftReceiverAdapter());
}

}  // namespace KsParse
}  // namespace Kestrel
