// Output records: the value tree that the text and summary forms read, and
// the JSON writer that streams a record straight into a reused buffer. JSON
// is one object per line, members in insertion order, doubles in the
// shortest form that reads back to the same value.
//
// Record builders are written once against the sink interface that both
// JsonWriter and ValueBuilder offer: Object(key), Array(key), End(), and
// Field(key, value); the key is null for an array's elements and for the
// record itself. A value's C++ type chooses its JSON form as a Value's
// constructors do (signed, unsigned, floating, bool, text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/double_format.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

class Value {
 public:
  enum class Type : std::uint8_t { kNull, kBool, kInt, kUint, kDouble, kString, kArray, kObject };
  using Member = std::pair<std::string, Value>;

  Value() = default;
  Value(bool v) : type_(Type::kBool), int_(v ? 1 : 0) {}
  Value(int v) : type_(Type::kInt), int_(v) {}
  Value(long v) : type_(Type::kInt), int_(v) {}
  Value(long long v) : type_(Type::kInt), int_(v) {}
  Value(unsigned v) : type_(Type::kUint), uint_(v) {}
  Value(unsigned long v) : type_(Type::kUint), uint_(v) {}
  Value(unsigned long long v) : type_(Type::kUint), uint_(v) {}
  Value(double v) : type_(Type::kDouble), double_(v) {}
  Value(float v) : type_(Type::kDouble), double_(v) {}
  Value(const char* v) : type_(Type::kString), string_(v) {}
  Value(std::string v) : type_(Type::kString), string_(std::move(v)) {}

  static Value Array() { return Value(Type::kArray); }
  static Value Object() { return Value(Type::kObject); }

  // Appends a member (objects) or an element (arrays); returns *this.
  Value& Set(std::string key, Value value);
  Value& Push(Value value);

  Type type() const { return type_; }
  bool IsScalar() const { return type_ != Type::kArray && type_ != Type::kObject; }
  bool AsBool() const { return int_ != 0; }
  long long AsInt() const { return int_; }
  unsigned long long AsUint() const { return uint_; }
  double AsDouble() const { return double_; }
  const std::string& AsString() const { return string_; }
  const std::vector<Value>& Items() const { return items_; }
  const std::vector<Member>& Members() const { return members_; }
  // The member named `key`, or null.
  const Value* Find(const std::string& key) const;

 private:
  explicit Value(Type type) : type_(type) {}

  Type type_ = Type::kNull;
  long long int_ = 0;
  unsigned long long uint_ = 0;
  double double_ = 0.0;
  std::string string_;
  std::vector<Value> items_;
  std::vector<Member> members_;
};

// A member name: a string literal, whose length is known when compiled, or
// null for an array's elements and for the record itself.
class Key {
 public:
  template <std::size_t N>
  constexpr Key(const char (&text)[N]) : text_(text), length_(N - 1) {}
  constexpr Key(std::nullptr_t) {}
  // A name known only at run time.
  static Key Of(const char* text) { return Key(text, std::char_traits<char>::length(text)); }

  const char* text() const { return text_; }
  std::size_t length() const { return length_; }

 private:
  Key(const char* text, std::size_t length) : text_(text), length_(length) {}

  const char* text_ = nullptr;
  std::size_t length_ = 0;
};

// Writes JSON records into its own buffer. Clear starts the next record
// and keeps the buffer, so once it has grown to the longest record a record
// costs no allocation. Member names are the program's own ASCII names and
// are written as they are; text values are escaped. The calls for one
// member are inline, so that a literal name is copied as a constant; each
// reads the writer's state before its first store (a character store may
// alias it) and stores it back once.
class JsonWriter {
 public:
  JsonWriter() = default;
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void Clear();
  const char* data() const { return buffer_.get(); }
  std::size_t size() const { return static_cast<std::size_t>(end_ - buffer_.get()); }
  // Appends a raw character (the line end after a record).
  void Put(char c) {
    char* p = Room(1);
    *p = c;
    end_ = p + 1;
  }

  void Object(Key key) { Open(key, '{', 1); }
  void Array(Key key) { Open(key, '[', 0); }
  // Closes the innermost open object or array.
  void End() {
    if (depth_ == 0) return;
    const unsigned depth = --depth_;
    Put((objects_ >> depth) & 1u ? '}' : ']');
    comma_ = true;
  }
  template <typename T>
  void Field(Key key, T value) {
    const bool comma = comma_;
    end_ = Scalar(Name(Room(key.length() + 4 + kDoubleChars), comma, key), value);
    comma_ = true;
  }
  void Field(Key key, const char* text) { Text(key, text, std::char_traits<char>::length(text)); }
  void Field(Key key, const std::string& text) { Text(key, text.data(), text.size()); }
  void Null(Key key) { Field(key, Literal{"null", 4}); }
  // A two-element array in one step: Array(key), two Fields, End(). Always
  // inline: a record writes many, each a few characters.
  template <typename T>
  __attribute__((always_inline)) void Pair(Key key, T first, T second) {
    const bool comma = comma_;
    char* p = Name(Room(key.length() + 6 + 2 * kDoubleChars), comma, key);
    *p = '[';
    p = Scalar(p + 1, first);
    *p = ',';
    p = Scalar(p + 1, second);
    *p = ']';
    end_ = p + 1;
    comma_ = true;
  }

 private:
  struct Literal {
    const char* text;  // copied 5 characters at a time
    std::size_t length;
  };

  // Room for n more characters at the end of the buffer.
  char* Room(std::size_t n) {
    char* const end = end_;
    return static_cast<std::size_t>(limit_ - end) >= n ? end : Grow(n);
  }
  char* Grow(std::size_t n);
  // The comma before a member or element, and the member's name, at p;
  // returns the end.
  static char* Name(char* p, bool comma, Key key) {
    *p = ',';
    p += comma ? 1 : 0;
    if (key.text() != nullptr) {
      *p++ = '"';
      std::memcpy(p, key.text(), key.length());
      p += key.length();
      *p++ = '"';
      *p++ = ':';
    }
    return p;
  }
  void Open(Key key, char bracket, std::uint32_t object) {
    const bool comma = comma_;
    const unsigned depth = depth_;
    char* p = Name(Room(key.length() + 5), comma, key);
    *p = bracket;
    end_ = p + 1;
    if (depth < 32) {
      objects_ = (objects_ & ~(1u << depth)) | object << depth;
      depth_ = depth + 1;
    }
    comma_ = false;
  }
  static char* Scalar(char* p, Literal value) {
    std::memcpy(p, value.text, 5);
    return p + value.length;
  }
  static char* Scalar(char* p, bool value) { return Scalar(p, value ? Literal{"true", 4} : Literal{"false", 5}); }
  static char* Scalar(char* p, int value) { return p + FormatSigned(value, p); }
  static char* Scalar(char* p, long value) { return p + FormatSigned(value, p); }
  static char* Scalar(char* p, long long value) { return p + FormatSigned(value, p); }
  static char* Scalar(char* p, unsigned value) { return p + FormatUnsigned(value, p); }
  static char* Scalar(char* p, unsigned long value) { return p + FormatUnsigned(value, p); }
  static char* Scalar(char* p, unsigned long long value) { return p + FormatUnsigned(value, p); }
  static char* Scalar(char* p, float value) { return p + FormatDouble(value, p); }
  static char* Scalar(char* p, double value) { return p + FormatDouble(value, p); }
  void Text(Key key, const char* text, std::size_t length);

  std::unique_ptr<char[]> buffer_;
  char* end_ = nullptr;    // of the record so far
  char* limit_ = nullptr;  // of the buffer
  // One bit per open container, innermost highest: set for an object. A
  // record nests far less than 32 deep.
  std::uint32_t objects_ = 0;
  unsigned depth_ = 0;
  bool comma_ = false;  // a member or element precedes at this level
};

// Builds the Value tree of one record through the sink interface.
class ValueBuilder {
 public:
  void Object(Key key) { Open(key, Value::Object()); }
  void Array(Key key) { Open(key, Value::Array()); }
  void End() { open_.pop_back(); }
  template <typename T>
  void Field(Key key, T value) {
    Add(key, Value(value));
  }
  void Null(Key key) { Add(key, Value()); }
  // The record built so far (the first top-level value).
  Value Take() { return std::move(root_); }

 private:
  void Open(Key key, Value container);
  Value& Add(Key key, Value value);

  Value root_;
  bool has_root_ = false;
  // The open containers, innermost last: each is the last member or element
  // of the one before, so later additions never move it.
  std::vector<Value*> open_;
};

// A two-element array: the values of a record's two frequencies. Taken by
// value, so that fields of packed records can be passed.
template <typename Sink, typename T>
void WritePair(Sink& sink, Key key, T first, T second) {
  sink.Array(key);
  sink.Field(nullptr, first);
  sink.Field(nullptr, second);
  sink.End();
}

// The writer does it in one step. Always inline, so that the member name
// stays a constant.
template <typename T>
__attribute__((always_inline)) inline void WritePair(JsonWriter& writer, Key key, T first, T second) {
  writer.Pair(key, first, second);
}

// The value as JSON on one line (no trailing newline).
std::string ToJson(const Value& value);
// Appends the value's JSON to a writer, as a member named `key` (or an
// element when `key` is null).
void WriteValue(JsonWriter& writer, Key key, const Value& value);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
