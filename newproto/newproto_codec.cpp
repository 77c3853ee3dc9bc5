#include "newproto/newproto_codec.h"

#include <atomic>
#include <cstddef>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace NewProto {

namespace {

// ---- value layouts

enum class FieldType : std::uint8_t { kU8, kU16, kU32, kF64, kChars, kCharsZ };

// One field of a value: its type, where it sits in the caller's record and,
// for character fields, its width. kCharsZ goes out with its last byte 0.
struct Field {
  FieldType type;
  std::uint8_t offset;
  std::uint8_t width;
};

enum class Shape : std::uint8_t {
  kEmpty,     // always sent with length 0
  kFields,    // a fixed list of fields
  kBlock,     // NV_BLOCK_DATA_STRUCT: count (4) and the bytes
  kBaseList,  // BasePosListValue
};

struct Layout {
  std::uint16_t first_id;
  std::uint16_t last_id;
  Shape shape;
  bool keep_without_value;  // without a value the item keeps its length, value bytes 0
  const Field* fields;
  std::uint8_t field_count;
};

template <std::size_t N>
constexpr std::uint8_t Count(const Field (&)[N]) {
  return static_cast<std::uint8_t>(N);
}

constexpr Field kU8[] = {{FieldType::kU8, 0, 0}};
constexpr Field kU16[] = {{FieldType::kU16, 0, 0}};
constexpr Field kU32[] = {{FieldType::kU32, 0, 0}};
constexpr Field kChars20[] = {{FieldType::kChars, 0, 20}};
constexpr Field kModePeriod[] = {{FieldType::kU8, offsetof(NV_GSENSOR_VALID_PERIOD_STRUCT, mode), 0},
                                 {FieldType::kU16, offsetof(NV_GSENSOR_VALID_PERIOD_STRUCT, period), 0}};
constexpr Field kBaseSet[] = {{FieldType::kU16, offsetof(NV_GNSS_BASE_SET_STRUCT, mode), 0},
                              {FieldType::kF64, offsetof(NV_GNSS_BASE_SET_STRUCT, coord), 0},
                              {FieldType::kF64, offsetof(NV_GNSS_BASE_SET_STRUCT, coord) + 8, 0},
                              {FieldType::kF64, offsetof(NV_GNSS_BASE_SET_STRUCT, coord) + 16, 0}};
constexpr Field kSatEnable[] = {{FieldType::kU32, 0, 0},
                                {FieldType::kU32, 4, 0},
                                {FieldType::kU32, 8, 0},
                                {FieldType::kU32, 12, 0},
                                {FieldType::kU32, 16, 0}};
constexpr Field kRadioProperty[] = {{FieldType::kU32, offsetof(NV_RADIO_PROPERTY_EX_STRUCT, first), 0},
                                    {FieldType::kU8, offsetof(NV_RADIO_PROPERTY_EX_STRUCT, second), 0},
                                    {FieldType::kU8, offsetof(NV_RADIO_PROPERTY_EX_STRUCT, third), 0},
                                    {FieldType::kU32, offsetof(NV_RADIO_PROPERTY_EX_STRUCT, fourth), 0},
                                    {FieldType::kCharsZ, offsetof(NV_RADIO_PROPERTY_EX_STRUCT, text), 16}};
constexpr Field kCallsign[] = {{FieldType::kU8, offsetof(NV_RADIO_CALLSIGN_STRUCT, mode), 0},
                               {FieldType::kU8, offsetof(NV_RADIO_CALLSIGN_STRUCT, interval), 0},
                               {FieldType::kCharsZ, offsetof(NV_RADIO_CALLSIGN_STRUCT, callsign), 17}};
constexpr Field kWifiAp[] = {{FieldType::kChars, offsetof(NV_WIFI_PARA_AP_STRUCT, name), 20},
                             {FieldType::kU16, offsetof(NV_WIFI_PARA_AP_STRUCT, security), 0},
                             {FieldType::kChars, offsetof(NV_WIFI_PARA_AP_STRUCT, password), 20}};
constexpr Field kFileRecord[] = {{FieldType::kChars, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, name), 20},
                                 {FieldType::kU8, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, mode), 0},
                                 {FieldType::kU32, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value1), 0},
                                 {FieldType::kU32, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value2), 0},
                                 {FieldType::kU32, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value3), 0},
                                 {FieldType::kU8, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag1), 0},
                                 {FieldType::kU8, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag2), 0},
                                 {FieldType::kU8, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag3), 0},
                                 {FieldType::kU16, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, interval), 0},
                                 {FieldType::kU8, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag4), 0},
                                 {FieldType::kU32, offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value4), 0}};
constexpr Field kIpAddress[] = {{FieldType::kU32, offsetof(NV_IP_ADDRESS_STRUCT, address), 0},
                                {FieldType::kU16, offsetof(NV_IP_ADDRESS_STRUCT, port), 0},
                                {FieldType::kU8, offsetof(NV_IP_ADDRESS_STRUCT, kind), 0},
                                {FieldType::kChars, offsetof(NV_IP_ADDRESS_STRUCT, host), 50}};
constexpr Field kAccount[] = {{FieldType::kChars, offsetof(NV_ACCOUNT_STRUCT, user), 50},
                              {FieldType::kChars, offsetof(NV_ACCOUNT_STRUCT, password), 20}};
constexpr Field kDialParams[] = {{FieldType::kChars, 0, 20},
                                 {FieldType::kChars, 20, 20},
                                 {FieldType::kChars, 40, 20},
                                 {FieldType::kChars, 60, 20},
                                 {FieldType::kChars, 80, 20}};

#define KS_FIELDS(f) f, Count(f)
constexpr Layout kLayouts[] = {
    // message code
    {0x0001, 0x0001, Shape::kFields, true, KS_FIELDS(kU16)},
    // unsigned 16-bit, empty without a value
    {0x0103, 0x0104, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x0405, 0x0410, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x0412, 0x041A, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x0A04, 0x0A04, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x1104, 0x1104, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x140D, 0x140D, Shape::kFields, false, KS_FIELDS(kU16)},
    {0x1503, 0x1503, Shape::kFields, false, KS_FIELDS(kU16)},
    // unsigned 16-bit, kept without a value
    {0x0108, 0x0108, Shape::kFields, true, KS_FIELDS(kU16)},
    {0x0308, 0x0308, Shape::kFields, true, KS_FIELDS(kU16)},
    {0x0403, 0x0404, Shape::kFields, true, KS_FIELDS(kU16)},
    {0x0411, 0x0411, Shape::kFields, true, KS_FIELDS(kU16)},
    {0x041B, 0x041B, Shape::kFields, true, KS_FIELDS(kU16)},
    {0x0B09, 0x0B09, Shape::kFields, true, KS_FIELDS(kU16)},
    // unsigned 8-bit
    {0x0450, 0x0451, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x0710, 0x0710, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x0716, 0x0717, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x0A07, 0x0A07, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x0A09, 0x0A0A, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x0B05, 0x0B05, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x1109, 0x1109, Shape::kFields, false, KS_FIELDS(kU8)},
    {0x1409, 0x140A, Shape::kFields, false, KS_FIELDS(kU8)},
    // unsigned 32-bit (0x0703 carries a float's bit pattern)
    {0x0703, 0x0704, Shape::kFields, false, KS_FIELDS(kU32)},
    {0x0709, 0x0709, Shape::kFields, false, KS_FIELDS(kU32)},
    {0x070B, 0x070B, Shape::kFields, false, KS_FIELDS(kU32)},
    {0x1102, 0x1102, Shape::kFields, true, KS_FIELDS(kU32)},
    // character field, mode and period
    {0x110A, 0x110A, Shape::kFields, false, KS_FIELDS(kChars20)},
    {0x0309, 0x0309, Shape::kFields, true, KS_FIELDS(kModePeriod)},
    // composites
    {0x0452, 0x0452, Shape::kFields, false, KS_FIELDS(kBaseSet)},
    {0x0455, 0x0455, Shape::kFields, false, KS_FIELDS(kSatEnable)},
    {0x0714, 0x0714, Shape::kFields, false, KS_FIELDS(kRadioProperty)},
    {0x0718, 0x0718, Shape::kFields, false, KS_FIELDS(kCallsign)},
    {0x0A03, 0x0A03, Shape::kFields, false, KS_FIELDS(kWifiAp)},
    {0x0B06, 0x0B06, Shape::kFields, false, KS_FIELDS(kFileRecord)},
    {0x1103, 0x1103, Shape::kFields, false, KS_FIELDS(kIpAddress)},
    {0x110B, 0x110B, Shape::kFields, false, KS_FIELDS(kAccount)},
    {0x1403, 0x1403, Shape::kFields, false, KS_FIELDS(kDialParams)},
    // blocks and the base-position list
    {0x0B08, 0x0B08, Shape::kBlock, false, nullptr, 0},
    {0x1504, 0x1504, Shape::kBlock, false, nullptr, 0},
    {0x0457, 0x0457, Shape::kBaseList, false, nullptr, 0},
};
#undef KS_FIELDS

constexpr Layout kEmptyLayout = {0, 0, Shape::kEmpty, false, nullptr, 0};

const Layout& LayoutOf(std::uint16_t id) {
  for (const Layout& l : kLayouts) {
    if (id >= l.first_id && id <= l.last_id) return l;
  }
  return kEmptyLayout;
}

std::uint32_t FieldBytes(const Field& f) {
  switch (f.type) {
    case FieldType::kU8: return 1;
    case FieldType::kU16: return 2;
    case FieldType::kU32: return 4;
    case FieldType::kF64: return 8;
    case FieldType::kChars:
    case FieldType::kCharsZ: return f.width;
  }
  return 0;
}

constexpr std::uint32_t kBaseEntryBytes = 24;
constexpr std::uint32_t kBaseListHeadBytes = 10;

// ---- big-endian writers

unsigned char* PutBe(unsigned char* out, std::uint64_t value, unsigned bytes) {
  for (unsigned i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
  return out + bytes;
}

std::uint64_t LoadUnsigned(const unsigned char* p, unsigned bytes) {
  switch (bytes) {
    case 1: return *p;
    case 2: { std::uint16_t v; std::memcpy(&v, p, 2); return v; }
    case 4: { std::uint32_t v; std::memcpy(&v, p, 4); return v; }
    default: { std::uint64_t v; std::memcpy(&v, p, 8); return v; }  // a double's bit pattern
  }
}

// The value length of `id` with `value` (null: the length kept without one),
// in 32 bits so that oversized blocks can be refused rather than wrapped.
std::uint32_t ValueBytes(const Layout& l, const void* value) {
  switch (l.shape) {
    case Shape::kEmpty:
      return 0;
    case Shape::kFields: {
      if (value == nullptr && !l.keep_without_value) return 0;
      std::uint32_t n = 0;
      for (unsigned i = 0; i < l.field_count; ++i) n += FieldBytes(l.fields[i]);
      return n;
    }
    case Shape::kBlock: {
      if (value == nullptr) return 0;
      const auto& block = *static_cast<const NV_BLOCK_DATA_STRUCT*>(value);
      // A block without bytes to read is sent as an empty item.
      if (block.data == nullptr && block.length != 0) return 0;
      return 4 + block.length;
    }
    case Shape::kBaseList: {
      if (value == nullptr) return 0;
      const auto& list = *static_cast<const BasePosListValue*>(value);
      if (list.entries == nullptr && list.count != 0) return 0;
      return kBaseListHeadBytes + kBaseEntryBytes * list.count;
    }
  }
  return 0;
}

void WriteFields(unsigned char* out, const Layout& l, const unsigned char* record) {
  for (unsigned i = 0; i < l.field_count; ++i) {
    const Field& f = l.fields[i];
    const std::uint32_t n = FieldBytes(f);
    if (record == nullptr) {
      std::memset(out, 0, n);
    } else if (f.type == FieldType::kChars || f.type == FieldType::kCharsZ) {
      std::memcpy(out, record + f.offset, n);
      if (f.type == FieldType::kCharsZ) out[n - 1] = 0;
    } else {
      PutBe(out, LoadUnsigned(record + f.offset, n), n);
    }
    out += n;
  }
}

void WriteValue(unsigned char* out, const Layout& l, const void* value) {
  switch (l.shape) {
    case Shape::kEmpty:
      return;
    case Shape::kFields:
      WriteFields(out, l, static_cast<const unsigned char*>(value));
      return;
    case Shape::kBlock: {
      const auto& block = *static_cast<const NV_BLOCK_DATA_STRUCT*>(value);
      out = PutBe(out, block.length, 4);
      if (block.length != 0) std::memcpy(out, block.data, block.length);
      return;
    }
    case Shape::kBaseList: {
      const auto& list = *static_cast<const BasePosListValue*>(value);
      out = PutBe(out, LoadUnsigned(reinterpret_cast<const unsigned char*>(&list.value), 8), 8);
      *out++ = list.capacity;
      *out++ = list.count;
      for (unsigned i = 0; i < list.count; ++i) {
        const NV_BASE_POS_ENTRY_STRUCT& e = list.entries[i];
        out = PutBe(out, LoadUnsigned(reinterpret_cast<const unsigned char*>(&e.first), 8), 8);
        out = PutBe(out, LoadUnsigned(reinterpret_cast<const unsigned char*>(&e.second), 8), 8);
        out = PutBe(out, e.value, 4);
        // The four reserved bytes of an entry carry nothing: sent as zero.
        out = PutBe(out, 0, 4);
      }
      return;
    }
  }
}

std::uint32_t ItemBytes(std::uint16_t id, const void* value) {
  return kItemHeaderBytes + ValueBytes(LayoutOf(id), value);
}

// The process-wide transmit sequence. Atomic so that command building on
// several threads is free of data races; two threads may still draw the same
// number, as with any unlocked counter.
std::atomic<unsigned> g_transmit_sequence{0};

}  // namespace

std::uint16_t EncodeItem(unsigned char* out, std::uint16_t id, const void* value) {
  const Layout& l = LayoutOf(id);
  std::uint32_t value_bytes = ValueBytes(l, value);
  // A value too long for the 16-bit length field is not written at all: the
  // item goes out empty (EncodePacket refuses such items beforehand).
  if (value_bytes > 0xFFFFu - kItemHeaderBytes) value_bytes = 0;
  if (out != nullptr) {
    PutBe(out, id, 2);
    PutBe(out + 2, value_bytes, 2);
    if (value_bytes != 0) WriteValue(out + kItemHeaderBytes, l, value);
  }
  return static_cast<std::uint16_t>(kItemHeaderBytes + value_bytes);
}

std::uint16_t PacketPayloadSize(const ProtoItems& items) {
  std::uint16_t total = 0;
  for (const ProtoItem& item : items) total = static_cast<std::uint16_t>(total + EncodeItem(nullptr, item.id, item.value));
  return total;
}

bool EncodePacket(const ProtoItems& items, std::uint32_t tag, std::vector<unsigned char>& packet) {
  packet.clear();
  if (items.size() < 2) return false;
  // Summed in 64 bits: an item or a payload too large for its 16-bit length
  // field is refused instead of wrapping into a short, overrun buffer.
  std::uint64_t payload = 0;
  for (const ProtoItem& item : items) {
    const std::uint32_t n = ItemBytes(item.id, item.value);
    if (n > 0xFFFFu) return false;
    payload += n;
  }
  if (payload < kMinPayload || payload > kMaxSendPayload) return false;

  packet.assign(payload + kPacketOverhead, 0);
  unsigned char* p = packet.data();
  *p++ = kSync0;
  *p++ = kSync1;
  *p++ = 0x00;  // flags
  p = PutBe(p, tag, 4);
  p = PutBe(p, 1, 4);  // header word
  p = PutBe(p, payload, 2);
  for (const ProtoItem& item : items) p += EncodeItem(p, item.id, item.value);
  // The check field (4 bytes, left zero) is neither computed nor checked by
  // this library; the receivers accept zero bytes there.
  packet[packet.size() - 2] = kEnd0;
  packet[packet.size() - 1] = kEnd1;
  return true;
}

void BuildPacket(CommandList& cmds, const ProtoItems& items, std::uint32_t tag) {
  std::vector<unsigned char> packet;
  if (!EncodePacket(items, tag, packet)) return;
  FramePacket(cmds, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

std::vector<std::uint16_t> ChunkSizes(std::uint32_t length) {
  std::vector<std::uint16_t> sizes;
  if (length == 0 || length > 0xFFFFu) return sizes;
  if (length < kMaxChunk) {
    sizes.push_back(static_cast<std::uint16_t>(length));
    return sizes;
  }
  const std::uint32_t k = length / kMaxChunk;
  const std::uint32_t r = length - kMaxChunk * k;
  if (r == 0) {
    sizes.assign(k, static_cast<std::uint16_t>(kMaxChunk));
    return sizes;
  }
  const std::uint32_t q = length / (k + 1);
  const std::uint32_t last = length - k * q;
  if (last <= kMaxChunk) {
    sizes.assign(k, static_cast<std::uint16_t>(q));
    sizes.push_back(static_cast<std::uint16_t>(last));
    return sizes;
  }
  // The remainder on the last chunk alone would pass 250 (749 bytes: 249,
  // 249, 251): spread it one byte each over the last chunks instead.
  const std::uint32_t spread = length - (k + 1) * q;
  sizes.assign(k + 1, static_cast<std::uint16_t>(q));
  for (std::uint32_t i = 0; i < spread; ++i) ++sizes[k - i];
  return sizes;
}

void FramePacket(CommandList& cmds, const unsigned char* packet, std::uint32_t length) {
  if (packet == nullptr || length == 0) return;
  std::uint32_t offset = 0;
  for (const std::uint16_t n : ChunkSizes(length)) {
    const unsigned s = g_transmit_sequence.load(std::memory_order_relaxed);
    g_transmit_sequence.store((s + 1) % kSequenceModulus, std::memory_order_relaxed);
    _STR_CMD cmd{};
    cmd.buf[0] = '$';
    cmd.buf[1] = '$';
    cmd.buf[2] = kSentStream;
    cmd.buf[3] = static_cast<unsigned char>(s);
    cmd.buf[4] = static_cast<unsigned char>(n);
    std::memcpy(cmd.buf + 5, packet + offset, n);
    cmd.buf[5 + n] = 0x0D;
    cmd.buf[6 + n] = 0x0A;
    cmd.len = n + kFrameOverhead;
    cmd.wait = 0;
    cmds.push_back(cmd);
    offset += n;
  }
}

std::uint8_t TransmitSequence() {
  return static_cast<std::uint8_t>(g_transmit_sequence.load(std::memory_order_relaxed));
}

}  // namespace NewProto
}  // namespace KsParse
}  // namespace Kestrel
