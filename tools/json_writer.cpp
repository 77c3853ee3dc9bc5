#include "tools/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

void AppendString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      // Everything outside printable ASCII is escaped, so that any byte of a
      // receiver's text survives as valid JSON.
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

void Append(std::string& out, const Value& value) {
  switch (value.type()) {
    case Value::Type::kNull:
      out += "null";
      break;
    case Value::Type::kBool:
      out += value.AsBool() ? "true" : "false";
      break;
    case Value::Type::kInt:
      out += std::to_string(value.AsInt());
      break;
    case Value::Type::kUint:
      out += std::to_string(value.AsUint());
      break;
    case Value::Type::kDouble:
      out += FormatDouble(value.AsDouble());
      break;
    case Value::Type::kString:
      AppendString(out, value.AsString());
      break;
    case Value::Type::kArray: {
      out += '[';
      bool first = true;
      for (const Value& item : value.Items()) {
        if (!first) out += ',';
        first = false;
        Append(out, item);
      }
      out += ']';
      break;
    }
    case Value::Type::kObject: {
      out += '{';
      bool first = true;
      for (const Value::Member& member : value.Members()) {
        if (!first) out += ',';
        first = false;
        AppendString(out, member.first);
        out += ':';
        Append(out, member.second);
      }
      out += '}';
      break;
    }
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

std::string FormatDouble(double value) {
  if (!std::isfinite(value)) return "null";
  // Plain decimals in the range where they stay short (500000 rather than
  // 5e+05), exponents outside it; both the shortest exact form.
  const double magnitude = std::fabs(value);
  const bool fixed = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e17);
  char text[64];
  const auto result = fixed ? std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed)
                            : std::to_chars(text, text + sizeof(text), value, std::chars_format::scientific);
  return std::string(text, result.ptr);
}

std::string ToJson(const Value& value) {
  std::string out;
  Append(out, value);
  return out;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
