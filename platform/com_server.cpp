#include "platform/com_server.h"

#if defined(_WIN32)
#include <objbase.h>
#include <windows.h>
#endif

namespace Kestrel {
namespace KsParse {
namespace Platform {

#if defined(_WIN32)

HResult CoInitializeEx(void* reserved, std::uint32_t coinit) {
  return ::CoInitializeEx(reserved, coinit);
}

HResult CoCreateInstance(const Guid& clsid, void* outer, std::uint32_t context, const Guid& iid,
                         void** object) {
  return ::CoCreateInstance(reinterpret_cast<const CLSID&>(clsid), static_cast<LPUNKNOWN>(outer),
                            context, reinterpret_cast<const IID&>(iid), object);
}

void CoUninitialize() { ::CoUninitialize(); }

std::uint32_t GetModuleFileNameW(ModuleHandle module, wchar_t* path, std::uint32_t capacity) {
  return ::GetModuleFileNameW(static_cast<HMODULE>(module), path, capacity);
}

ModuleHandle LoadLibraryW(const wchar_t* path) { return ::LoadLibraryW(path); }

ProcAddress GetProcAddressW(ModuleHandle module, const wchar_t* name) {
#if defined(_WIN32_WCE)
  return reinterpret_cast<ProcAddress>(::GetProcAddressW(static_cast<HMODULE>(module), name));
#else
  // Desktop Windows looks procedures up by their narrow name.
  char narrow[256];
  std::uint32_t i = 0;
  for (; name[i] != 0 && i + 1 < sizeof(narrow); ++i) narrow[i] = static_cast<char>(name[i]);
  narrow[i] = '\0';
  return reinterpret_cast<ProcAddress>(::GetProcAddress(static_cast<HMODULE>(module), narrow));
#endif
}

bool FreeLibrary(ModuleHandle module) { return ::FreeLibrary(static_cast<HMODULE>(module)) != 0; }

#else

// No COM server exists off Windows: every call fails and callers run
// without the server.
HResult CoInitializeEx(void*, std::uint32_t) { return kFail; }
HResult CoCreateInstance(const Guid&, void*, std::uint32_t, const Guid&, void** object) {
  if (object != nullptr) *object = nullptr;
  return kFail;
}
void CoUninitialize() {}
std::uint32_t GetModuleFileNameW(ModuleHandle, wchar_t* path, std::uint32_t capacity) {
  if (path != nullptr && capacity > 0) path[0] = L'\0';
  return 0;
}
ModuleHandle LoadLibraryW(const wchar_t*) { return nullptr; }
ProcAddress GetProcAddressW(ModuleHandle, const wchar_t*) { return nullptr; }
bool FreeLibrary(ModuleHandle) { return false; }

#endif

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
