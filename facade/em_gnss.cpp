// Em_Gnss: engine choice, receive path and parse loop.
#include <ksparse/em_gnss.h>

#include <cstddef>
#include <new>

#include "engines/legacy_engine.h"
#include "engines/newproto_engine.h"
#include "engines/standard_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {

// Returns a working engine or null: an engine whose receive buffer could not
// be allocated is discarded, so every later operation sees "no engine".
ProtocolEngine* Usable(ProtocolEngine* engine) {
  if (engine != nullptr && engine->rx == nullptr) {
    delete engine;
    return nullptr;
  }
  return engine;
}

ProtocolEngine* CreateEngine(GNSS_MANUFACTURER manufacturer, bool new_protocol) {
  if (manufacturer == GNSS_MNFCTR_OEM_BOARD) return Usable(new (std::nothrow) StandardEngine());
  if (new_protocol) return Usable(new (std::nothrow) NewProtoEngine());
  return Usable(new (std::nothrow) LegacyEngine());
}

}  // namespace

Em_Gnss::Em_Gnss(GNSS_MANUFACTURER manufacturer, MAINBD_OEM_TYPE board)
    : recording(false), engine(nullptr), on_message(nullptr), on_oem_changed(nullptr),
      sat_stage(), user_context(nullptr) {
  static_assert(offsetof(Em_Gnss, engine) == sizeof(void*) &&
                    offsetof(Em_Gnss, sat_stage) == 4 * sizeof(void*) &&
                    offsetof(Em_Gnss, user_context) == 4 * sizeof(void*) + 832 &&
                    sizeof(Em_Gnss) == 5 * sizeof(void*) + 832,
                "Em_Gnss field layout");
  engine = CreateEngine(manufacturer,
                        manufacturer == GNSS_MNFCTR_NORVIK && board == OEM_NORVIK_NEWPROTO);
  if (engine != nullptr) engine->SelectBoard(board);
  recording = false;
}

void Em_Gnss::Reset_Mnfctr(GNSS_MANUFACTURER manufacturer) {
  const Com_Status status = engine != nullptr ? engine->com_status : COM_STATUS_DIRECT;
  delete engine;
  engine = CreateEngine(manufacturer, false);
  if (engine != nullptr) engine->com_status = status;
}

GNSS_MANUFACTURER Em_Gnss::Get_Mnfctr() {
  return engine != nullptr ? engine->manufacturer : GNSS_MNFCTR_NONE;
}

bool Em_Gnss::IsNorvikManufacturer() {
  return engine != nullptr && engine->manufacturer == GNSS_MNFCTR_NORVIK;
}

bool Em_Gnss::IsNorvikNewProtocolReceiver() {
  return IsNorvikManufacturer() && engine->BoardType() == OEM_NORVIK_NEWPROTO;
}

bool Em_Gnss::IsNorvikOldProtocolReceiver() {
  return IsNorvikManufacturer() && engine->BoardType() != OEM_NORVIK_NEWPROTO;
}

bool Em_Gnss::Reset_GnsMd(MAINBD_OEM_TYPE board) {
  return engine != nullptr && engine->SelectBoard(board);
}

MAINBD_OEM_TYPE Em_Gnss::Get_GnsMd() { return engine != nullptr ? engine->BoardType() : OEM_NONE; }

MAINBD_OEM_TYPE Em_Gnss::GetMainBdType() { return Get_GnsMd(); }

void Em_Gnss::Reg_Callbacks(const _CALLBACKS_RECEIVER* callbacks, const void* context) {
  if (context != nullptr) user_context = context;
  // A null record is ignored rather than dereferenced.
  if (callbacks == nullptr) return;
  on_message = callbacks->on_message;
  on_oem_changed = callbacks->on_oem_changed;
}

void Em_Gnss::IsOemChanged(bool flag) {
  if (on_oem_changed != nullptr) on_oem_changed(flag, user_context);
}

void Em_Gnss::Notify(Msg_Type kind, unsigned int value) {
  if (on_message != nullptr && value != 0) on_message(kind, value, user_context);
}

void Em_Gnss::ParseData() {
  if (engine == nullptr) return;
  while (engine->ParseNext() != 0) Notify(engine->last_kind, engine->changed_flags);
}

unsigned int Em_Gnss::Get_BufferedBytes() {
  return engine != nullptr ? static_cast<unsigned int>(engine->rx->Held()) : 0;
}

void Em_Gnss::Get_RevMsg(Msg_Type* kind, unsigned long* value) {
  if (engine == nullptr) return;
  if (kind != nullptr) *kind = engine->last_kind;
  if (value != nullptr) *value = engine->changed_flags;
}

void Em_Gnss::Data_Clear() {
  if (engine != nullptr) engine->rx->Reset();
}

void Em_Gnss::Set_Com_Status(Com_Status status) {
  if (engine != nullptr) engine->com_status = status;
}

Com_Status Em_Gnss::Get_Com_Status() {
  return engine != nullptr ? engine->com_status : COM_STATUS_DIRECT;
}

const Base_Config* Em_Gnss::Get_Gnss_BsCfg() {
  if (engine == nullptr || engine->adapter == nullptr || engine->adapter->commands == nullptr)
    return nullptr;
  return &engine->adapter->commands->base;
}

void Em_Gnss::Set_Gnss_BsCfg(const Base_Config& config) {
  if (engine == nullptr) return;
  if (engine->adapter != nullptr && engine->adapter->commands != nullptr)
    engine->adapter->commands->base = config;
  engine->base_port = config.port;
}

const Rover_Config* Em_Gnss::Get_Gnss_RvCfg() {
  if (engine == nullptr || engine->adapter == nullptr || engine->adapter->commands == nullptr)
    return nullptr;
  return &engine->adapter->commands->rover;
}

void Em_Gnss::Set_Gnss_RvCfg(const Rover_Config& config) {
  if (engine != nullptr && engine->adapter != nullptr && engine->adapter->commands != nullptr)
    engine->adapter->commands->rover = config;
}

void Em_Gnss::CallData() {
  if (engine != nullptr) Notify(engine->last_kind, engine->changed_flags);
}

void Em_Gnss::ClData_Device() {
  if (on_message != nullptr && engine != nullptr)
    on_message(engine->last_kind, engine->changed_flags, user_context);
}

void Em_Gnss::ClData_Gnss() {
  if (engine != nullptr) Notify(MSG_GNSS, engine->changed_flags);
}

void Em_Gnss::Gnss_Logger(Msg_Type kind, unsigned long value) {
  if (kind == MSG_GNSS) Gnss_Logger_Md(value);
}

void Em_Gnss::Gnss_Logger_Rcvr(unsigned long) {}

}  // namespace KsParse
}  // namespace Kestrel
