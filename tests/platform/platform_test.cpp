#include <ksparse/critical_section.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/com_server.h"
#include "platform/system_time.h"

namespace Kestrel {
namespace KsParse {
namespace {

TEST(Platform, CriticalSectionsAreReentrant) {
  Em_Critcal_Section section;
  section.InitializeSection();
  {
    Em_CrtSect_Lock outer(&section);
    Em_CrtSect_Lock inner(&section);  // the same thread enters again
  }
  Em_CrtSect_Lock none(nullptr);
  section.DeleteSection();
}

TEST(Platform, SystemTimeIsUtc) {
  const std::time_t before = std::time(nullptr);
  const Platform::SystemTime now = Platform::GetSystemTime();
  std::tm utc;
#if defined(_WIN32)
  gmtime_s(&utc, &before);
#else
  gmtime_r(&before, &utc);
#endif
  EXPECT_TRUE(now.year == utc.tm_year + 1900 && now.month >= 1 && now.month <= 12 && now.milliseconds < 1000);
}

#if defined(_WIN32)
TEST(Platform, ModulesAreTheSystems) {
  wchar_t path[260];
  const std::uint32_t n = Platform::GetModuleFileNameW(nullptr, path, 260);
  ASSERT_GT(n, 4u);
  EXPECT_EQ(std::wstring(path + n - 4), L".exe");
  EXPECT_EQ(Platform::LoadLibraryW(L"\\Program Files\\KsTest\\NoSuchServer.dll"), nullptr);
  Platform::ModuleHandle kernel = Platform::LoadLibraryW(L"kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(Platform::GetProcAddressW(kernel, L"GetSystemTime"), nullptr);
  EXPECT_EQ(Platform::GetProcAddressW(kernel, L"NoSuchEntry"), nullptr);
  EXPECT_TRUE(Platform::FreeLibrary(kernel));
  // An unregistered class: the system's "class not registered".
  void* object = &object;
  Platform::Guid id = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
  ASSERT_GE(Platform::CoInitializeEx(nullptr, 0), 0);
  EXPECT_EQ(Platform::CoCreateInstance(id, nullptr, 1, id, &object), static_cast<Platform::HResult>(0x80040154u));
  EXPECT_EQ(object, nullptr);
  Platform::CoUninitialize();
}
#else
TEST(Platform, NoComServerOffWindows) {
  void* object = &object;
  Platform::Guid id = {};
  EXPECT_NE(Platform::CoCreateInstance(id, nullptr, 1, id, &object), Platform::kOk);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Platform::LoadLibraryW(L"SimRcv.dll"), nullptr);
}
#endif

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
