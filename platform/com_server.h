// COM and module loading, as the software-receiver adapter needs them.
//
// On Windows these are the system calls; elsewhere no COM server exists, so
// every call reports failure and the adapter runs without its server.
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

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
