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

// Off Windows, COM needs no initialisation and the registered in-process
// classes are the only servers.
namespace {
struct RegisteredClass {
  Guid clsid;
  ClassFactory factory;
};
RegisteredClass registered[8] = {};
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);  // REGDB_E_CLASSNOTREG
}  // namespace

bool RegisterInProcessClass(const Guid& clsid, ClassFactory factory) {
  RegisteredClass* free_slot = nullptr;
  for (RegisteredClass& r : registered) {
    if (r.factory != nullptr && r.clsid == clsid) {
      r.factory = factory;
      return true;
    }
    if (r.factory == nullptr && free_slot == nullptr) free_slot = &r;
  }
  if (factory == nullptr) return true;
  if (free_slot == nullptr) return false;
  *free_slot = {clsid, factory};
  return true;
}

HResult CoInitializeEx(void*, std::uint32_t) { return kOk; }
HResult CoCreateInstance(const Guid& clsid, void* outer, std::uint32_t, const Guid& iid, void** object) {
  if (object == nullptr) return kFail;
  *object = nullptr;
  if (outer != nullptr) return kFail;  // no aggregation
  for (const RegisteredClass& r : registered)
    if (r.factory != nullptr && r.clsid == clsid) return r.factory(iid, object);
  return kClassNotRegistered;
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
