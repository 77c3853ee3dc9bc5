#include "tools/json_writer.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// The value as it would have been written from its C++ type.
void WriteScalar(JsonWriter& writer, Key key, const Value& value) {
  switch (value.type()) {
    case Value::Type::kBool: writer.Field(key, value.AsBool()); break;
    case Value::Type::kInt: writer.Field(key, value.AsInt()); break;
    case Value::Type::kUint: writer.Field(key, value.AsUint()); break;
    case Value::Type::kDouble: writer.Field(key, value.AsDouble()); break;
    case Value::Type::kString: writer.Field(key, value.AsString()); break;
    default: writer.Null(key); break;
  }
}

}  // namespace

Value& Value::Set(std::string key, Value value) {
  members_.emplace_back(std::move(key), std::move(value));
  return *this;
}

Value& Value::Push(Value value) {
  items_.push_back(std::move(value));
  return *this;
}

const Value* Value::Find(const std::string& key) const {
  for (const Member& member : members_)
    if (member.first == key) return &member.second;
  return nullptr;
}

void JsonWriter::Clear() {
  end_ = buffer_.get();
  objects_ = 0;
  depth_ = 0;
  comma_ = false;
}

char* JsonWriter::Grow(std::size_t n) {
  const std::size_t size = this->size();
  std::size_t capacity = static_cast<std::size_t>(limit_ - buffer_.get());
  if (capacity < 256) capacity = 256;
  while (capacity - size < n) capacity *= 2;
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (size > 0) std::memcpy(grown.get(), buffer_.get(), size);
  buffer_ = std::move(grown);
  end_ = buffer_.get() + size;
  limit_ = buffer_.get() + capacity;
  return end_;
}

void JsonWriter::Text(Key key, const char* text, std::size_t length) {
  static constexpr char kHex[] = "0123456789abcdef";
  // The name, at most six characters for each byte, and the quotes.
  const bool comma = comma_;
  char* p = Name(Room(key.length() + 4 + 6 * length + 2), comma, key);
  *p++ = '"';
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      *p++ = '\\';
      *p++ = c;
    } else if (u < 0x20 || u >= 0x7F) {
      // Everything outside printable ASCII is escaped, so that any byte of a
      // receiver's text survives as valid JSON.
      const char escaped[6] = {'\\', 'u', '0', '0', kHex[u >> 4], kHex[u & 15]};
      std::memcpy(p, escaped, sizeof(escaped));
      p += sizeof(escaped);
    } else {
      *p++ = c;
    }
  }
  *p++ = '"';
  end_ = p;
  comma_ = true;
}

void ValueBuilder::Open(Key key, Value container) {
  open_.push_back(&Add(key, std::move(container)));
}

Value& ValueBuilder::Add(Key key, Value value) {
  if (open_.empty()) {
    // A scalar or container at the top is the record itself.
    if (!has_root_) {
      root_ = std::move(value);
      has_root_ = true;
    }
    return root_;
  }
  Value& parent = *open_.back();
  if (parent.type() == Value::Type::kObject) {
    parent.Set(key.text() != nullptr ? std::string(key.text(), key.length()) : std::string(), std::move(value));
    return const_cast<Value&>(parent.Members().back().second);
  }
  parent.Push(std::move(value));
  return const_cast<Value&>(parent.Items().back());
}

void WriteValue(JsonWriter& writer, Key key, const Value& value) {
  if (value.IsScalar()) {
    WriteScalar(writer, key, value);
    return;
  }
  if (value.type() == Value::Type::kArray) {
    writer.Array(key);
    for (const Value& item : value.Items()) WriteValue(writer, nullptr, item);
  } else {
    writer.Object(key);
    for (const Value::Member& member : value.Members()) WriteValue(writer, Key::Of(member.first.c_str()), member.second);
  }
  writer.End();
}

std::string ToJson(const Value& value) {
  JsonWriter writer;
  WriteValue(writer, nullptr, value);
  return std::string(writer.data(), writer.size());
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
