// A positioning server for the software-receiver tests on Windows: an
// in-process COM server (registered with regsvr32) whose solver records the
// calls it receives and, once started, delivers one solution from a thread
// of its own, as the real server does. The test reads the record through
// the KsTestSolver* functions.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "boards/softrcv/solver_com.h"

using namespace Kestrel::KsParse;
using namespace Kestrel::KsParse::SoftRcv;

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// What the test reads back.
std::mutex g_mutex;
std::condition_variable g_delivered_cv;
std::vector<std::string> g_calls;
unsigned long g_delivered_on = 0;  // thread of the last delivered solution
std::uint32_t g_entries = 2;

void Record(const std::string& call) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.push_back(call);
}

bool SameGuid(const GUID& a, const Guid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The solution the server delivers: a float solution 88 bytes into the
// notification data.
void FillNotification(unsigned char* data) {
  SolverSolution s = {};
  s.type = 3;
  s.latitude = 0.01;
  s.longitude = -0.02;
  s.height = 50;
  s.undulation = 20;
  s.variance_lat = 4;
  s.variance_lon = 9;
  s.variance_height = 16;
  s.age = 0.0025;
  std::memcpy(data + kSolutionOffset, &s, sizeof s);
}

class Solver final : public ISolver {
 public:
  Solver() { ++g_objects; }

  HResult KSPARSE_COM_CALL QueryInterface(const Guid& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (SameGuid(IID_IUnknown, iid) || iid == kSolverInterface) {
      *object = static_cast<ISolver*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  std::uint32_t KSPARSE_COM_CALL AddRef() override { return ++refs_; }
  std::uint32_t KSPARSE_COM_CALL Release() override {
    const std::uint32_t left = --refs_;
    if (left == 0) {
      Record("release");
      StopDelivery();
      delete this;
    }
    return left;
  }
  HResult KSPARSE_COM_CALL Slot3() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot4() override { return S_OK; }
  HResult KSPARSE_COM_CALL AddStation(const SolverStation* s, std::int32_t* handle) override {
    Record(std::string("station ") + s->name + (s->enabled == 1 ? " on" : " off"));
    *handle = ++stations_;
    return S_OK;
  }
  HResult KSPARSE_COM_CALL Configure(const SolverConfig* c, std::int32_t* result) override {
    std::string words = "configure";
    for (int i = 0; i < 9; ++i) words += " " + std::to_string(c->words[i]);
    Record(words);
    *result = 0;
    return S_OK;
  }
  HResult KSPARSE_COM_CALL Subscribe(ISolutionSink* sink, std::uint32_t* cookie) override {
    Record("subscribe");
    sink->AddRef();
    sink_ = sink;
    *cookie = 1;
    return S_OK;
  }
  HResult KSPARSE_COM_CALL Stop(std::int32_t mode) override {
    Record("stop " + std::to_string(mode));
    StopDelivery();
    if (sink_ != nullptr) sink_->Release(), sink_ = nullptr;
    return S_OK;
  }
  HResult KSPARSE_COM_CALL Slot9() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot10() override { return S_OK; }
  HResult KSPARSE_COM_CALL Restart(std::int32_t mode, std::int32_t what) override {
    Record("restart " + std::to_string(mode) + " " + std::to_string(what));
    return S_OK;
  }
  // Delivers one solution from the server's own thread.
  HResult KSPARSE_COM_CALL Start() override {
    Record("start");
    if (sink_ == nullptr || worker_.joinable()) return E_FAIL;
    ISolutionSink* sink = sink_;
    worker_ = std::thread([sink] {
      std::vector<unsigned char> data(kSolutionOffset + sizeof(SolverSolution));
      FillNotification(data.data());
      sink->OnSolution(data.data());
      std::lock_guard<std::mutex> lock(g_mutex);
      g_delivered_on = GetCurrentThreadId();
      g_delivered_cv.notify_all();
    });
    return S_OK;
  }
  HResult KSPARSE_COM_CALL Slot13() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot14() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot15() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot16() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot17() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot18() override { return S_OK; }
  HResult KSPARSE_COM_CALL Slot19() override { return S_OK; }
  HResult KSPARSE_COM_CALL Entries(SolverEntry* entries, std::uint32_t capacity, std::uint32_t* count) override {
    Record("entries " + std::to_string(capacity));
    const std::uint32_t n = g_entries < capacity ? g_entries : capacity;
    for (std::uint32_t i = 0; i < n; ++i) {
      entries[i] = {};
      entries[i].id = i + 1;
      std::strcpy(entries[i].name, i == 0 ? "rtk" : "single");
    }
    *count = n;
    return S_OK;
  }

 private:
  ~Solver() { --g_objects; }
  void StopDelivery() {
    if (worker_.joinable()) worker_.join();
  }

  std::atomic<std::uint32_t> refs_{0};
  std::int32_t stations_ = 0;
  ISolutionSink* sink_ = nullptr;
  std::thread worker_;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // One static factory for the life of the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Solver* solver = new Solver();
    solver->AddRef();
    const HRESULT hr = solver->QueryInterface(reinterpret_cast<const Guid&>(iid), object);
    solver->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++g_locks : --g_locks;
    return S_OK;
  }
};

Factory g_factory;

const wchar_t kClassKey[] = L"CLSID\\{6B1F2A40-3C5D-4E8A-9B7C-1D2E3F405161}";

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = module;
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!SameGuid(clsid, kSolverClass)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

// The class, served in-process by this file, in any apartment.
STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  const std::wstring key = std::wstring(kClassKey) + L"\\InprocServer32";
  HKEY server = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &server, nullptr) !=
      ERROR_SUCCESS)
    return E_FAIL;
  const wchar_t model[] = L"Both";
  const bool ok =
      RegSetValueExW(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), (n + 1) * sizeof(wchar_t)) ==
          ERROR_SUCCESS &&
      RegSetValueExW(server, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model) ==
          ERROR_SUCCESS;
  RegCloseKey(server);
  return ok ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
  const LSTATUS rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}

// For the test: the calls received since the last clear, one per line.
extern "C" unsigned KsTestSolverLog(char* out, unsigned capacity) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::string text;
  for (const std::string& call : g_calls) text += call + "\n";
  if (capacity == 0) return 0;
  const unsigned n = text.size() < capacity - 1 ? static_cast<unsigned>(text.size()) : capacity - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return n;
}

extern "C" void KsTestSolverClear(unsigned entries) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.clear();
  g_delivered_on = 0;
  g_entries = entries;
}

// The thread that delivered the solution, once it has (0 after `ms`).
extern "C" unsigned long KsTestSolverDelivered(unsigned ms) {
  std::unique_lock<std::mutex> lock(g_mutex);
  g_delivered_cv.wait_for(lock, std::chrono::milliseconds(ms), [] { return g_delivered_on != 0; });
  return g_delivered_on;
}

extern "C" long KsTestSolverObjects() { return g_objects; }
