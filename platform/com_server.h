// COM and module loading, as the software-receiver adapter needs them.
//
// On Windows these are the system calls. Elsewhere there is no system COM:
// in-process classes registered with RegisterInProcessClass stand in for
// registered servers, module loading always fails, and without a registered
// class the adapter runs without its server.
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Platform {

using HResult = std::int32_t;
constexpr HResult kOk = 0;
constexpr HResult kFail = static_cast<HResult>(0x80004005u);  // E_FAIL

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.data4[i] != b.data4[i]) return false;
  return true;
}

// COM methods use the system's COM calling convention.
#if defined(_WIN32)
#define KSPARSE_COM_CALL __stdcall
#else
#define KSPARSE_COM_CALL
#endif

using ModuleHandle = void*;
using ProcAddress = void (*)();

HResult CoInitializeEx(void* reserved, std::uint32_t coinit);
HResult CoCreateInstance(const Guid& clsid, void* outer, std::uint32_t context, const Guid& iid,
                         void** object);
void CoUninitialize();

// Writes the path of the module that holds this library (or of the program)
// into `path`, at most `capacity` wide characters with the terminating NUL;
// returns the number of characters written, 0 on failure.
std::uint32_t GetModuleFileNameW(ModuleHandle module, wchar_t* path, std::uint32_t capacity);
ModuleHandle LoadLibraryW(const wchar_t* path);
ProcAddress GetProcAddressW(ModuleHandle module, const wchar_t* name);
bool FreeLibrary(ModuleHandle module);

#if !defined(_WIN32)
// Creates an object of a registered class answering interface `iid`.
using ClassFactory = HResult (*)(const Guid& iid, void** object);
// Makes CoCreateInstance create `clsid` in-process through `factory`
// (replacing an earlier registration); a null factory removes the class.
// Up to 8 classes; false when the table is full.
bool RegisterInProcessClass(const Guid& clsid, ClassFactory factory);
#endif

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
