#include <ksparse/critical_section.h>

#include <gtest/gtest.h>

#include <ctime>

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
  gmtime_r(&before, &utc);
  EXPECT_TRUE(now.year == utc.tm_year + 1900 && now.month >= 1 && now.month <= 12 && now.milliseconds < 1000);
}

TEST(Platform, NoComServerOffWindows) {
  void* object = &object;
  Platform::Guid id = {};
  EXPECT_NE(Platform::CoCreateInstance(id, nullptr, 1, id, &object), Platform::kOk);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Platform::LoadLibraryW(L"SimRcv.dll"), nullptr);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
