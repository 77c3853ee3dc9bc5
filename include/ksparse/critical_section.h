// Locking classes offered to the application for its own use.
#pragma once

#include <ksparse/export.h>
#include <ksparse/platform_types.h>

namespace Kestrel {
namespace KsParse {

// Exactly one operating-system critical section and nothing else. The
// constructor and destructor do nothing: the owner calls InitializeSection
// before the first use and DeleteSection after the last.
class KSPARSE_API Em_Critcal_Section {
 public:
  Em_Critcal_Section() {}
  ~Em_Critcal_Section() {}
  Em_Critcal_Section(const Em_Critcal_Section& other);
  // Copies the section's bytes. Only meaningful while neither section is held.
  Em_Critcal_Section& operator=(const Em_Critcal_Section& other);

  void InitializeSection();
  void EnterSection();
  void LeaveSection();
  void DeleteSection();

 private:
  KsCriticalSection section_;
};

static_assert(sizeof(Em_Critcal_Section) == sizeof(KsCriticalSection),
              "Em_Critcal_Section is one critical section and nothing else");

// Scoped lock: enters the section on construction (unless null), leaves it on
// destruction.
class KSPARSE_API Em_CrtSect_Lock {
 public:
  explicit Em_CrtSect_Lock(Em_Critcal_Section* section);
  ~Em_CrtSect_Lock();
  Em_CrtSect_Lock(const Em_CrtSect_Lock&) = delete;
  // Copies the pointer only; the section is neither entered nor left.
  Em_CrtSect_Lock& operator=(const Em_CrtSect_Lock& other);

 private:
  Em_Critcal_Section* section_;
};

static_assert(sizeof(Em_CrtSect_Lock) == sizeof(void*), "Em_CrtSect_Lock holds one pointer");

}  // namespace KsParse
}  // namespace Kestrel
