// The value tree that every subcommand builds for one output record, and its
// JSON form: one object per line, members in insertion order, doubles in the
// shortest form that reads back to the same value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// A two-element array: the values of a record's two frequencies. Taken by
// value, so that fields of packed records can be passed.
template <typename T>
Value PairOf(T first, T second) {
  return Value::Array().Push(Value(first)).Push(Value(second));
}

// Shortest decimal form that reads back to exactly `value`; "null" for NaN
// and infinities, which JSON cannot express.
std::string FormatDouble(double value);
// The value as JSON on one line (no trailing newline).
std::string ToJson(const Value& value);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
