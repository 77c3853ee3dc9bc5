#include "facade/raw_recording.h"

#include <cstdio>
#include <cstring>

#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "platform/system_time.h"

namespace Kestrel {
namespace KsParse {
namespace Recording {

namespace {
std::FILE* record_file = nullptr;
bool record_open = false;
}  // namespace

void GeneratedName(char* out, unsigned int size, int year, int month, int day, int hour,
                   int minute, int second) {
  std::snprintf(out, size, "%d%d%d%2d%d%d.bin", year, month, day, hour + 8, minute, second);
}

bool Open(const char* path) {
  if (record_open) return true;
  char name[kMaxPath];
  if (path == nullptr) {
    const Platform::SystemTime now = Platform::GetSystemTime();
    GeneratedName(name, sizeof(name), now.year, now.month, now.day, now.hour, now.minute,
                  now.second);
  } else {
    if (std::strlen(path) >= kMaxPath) return false;
    std::strcpy(name, path);
  }
  record_file = std::fopen(name, "wb");
  record_open = record_file != nullptr;
  return record_open;
}

bool IsOpen() { return record_open; }

void Write(const unsigned char* data, unsigned int len) {
  if (!record_open) return;
  std::fwrite(data, 1, len, record_file);
  std::fflush(record_file);
}

void Close() {
  if (record_file != nullptr) std::fclose(record_file);
  record_file = nullptr;
  record_open = false;
}

}  // namespace Recording

void Em_Gnss::SetRcrdData(bool on, const char* path) {
  if (on) {
    Recording::Open(path);
    recording = true;
  } else {
    Recording::Close();
    recording = false;
  }
}

void Em_Gnss::RcvData(unsigned char* data, unsigned int len) {
  if (data == nullptr || len == 0 || engine == nullptr) return;
  engine->rx->Append(data, len);
  // The block is recorded even when it overflowed the receive buffer.
  if (recording) Recording::Write(data, len);
}

Em_Gnss::~Em_Gnss() {
  if (recording && Recording::IsOpen()) Recording::Close();
  delete engine;
  engine = nullptr;
}

}  // namespace KsParse
}  // namespace Kestrel
