#include <ksparse/critical_section.h>

#include <cstring>

#include "platform/critical_section.h"

namespace Kestrel {
namespace KsParse {

Em_Critcal_Section::Em_Critcal_Section(const Em_Critcal_Section& other) {
  std::memcpy(static_cast<void*>(&section_), &other.section_, sizeof(section_));
}

Em_Critcal_Section& Em_Critcal_Section::operator=(const Em_Critcal_Section& other) {
  if (this != &other) std::memcpy(static_cast<void*>(&section_), &other.section_, sizeof(section_));
  return *this;
}

void Em_Critcal_Section::InitializeSection() { Platform::SectionInit(&section_); }
void Em_Critcal_Section::EnterSection() { Platform::SectionEnter(&section_); }
void Em_Critcal_Section::LeaveSection() { Platform::SectionLeave(&section_); }
void Em_Critcal_Section::DeleteSection() { Platform::SectionDelete(&section_); }

Em_CrtSect_Lock::Em_CrtSect_Lock(Em_Critcal_Section* section) : section_(section) {
  if (section_ != nullptr) section_->EnterSection();
}

Em_CrtSect_Lock::~Em_CrtSect_Lock() {
  if (section_ != nullptr) section_->LeaveSection();
}

Em_CrtSect_Lock& Em_CrtSect_Lock::operator=(const Em_CrtSect_Lock& other) {
  section_ = other.section_;
  return *this;
}

}  // namespace KsParse
}  // namespace Kestrel
