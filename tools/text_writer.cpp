#include "tools/text_writer.h"

#include <algorithm>
#include <cstdio>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr std::size_t kLabelWidth = 10;

std::string Scalar(const Value& value, const std::string& key = std::string()) {
  char text[40];
  switch (value.type()) {
    case Value::Type::kNull:
      return "-";
    case Value::Type::kBool:
      return value.AsBool() ? "yes" : "no";
    case Value::Type::kInt:
      return std::to_string(value.AsInt());
    case Value::Type::kUint:
      if (key == "flags") {
        std::snprintf(text, sizeof(text), "0x%08llX", value.AsUint());
        return text;
      }
      return std::to_string(value.AsUint());
    case Value::Type::kDouble:
      // Twelve significant digits: 1e-10 degree in a latitude, well below
      // anything a receiver reports.
      std::snprintf(text, sizeof(text), "%.12g", value.AsDouble());
      return text;
    case Value::Type::kString:
      return value.AsString();
    case Value::Type::kArray: {
      std::string joined;
      for (const Value& item : value.Items()) {
        if (!joined.empty()) joined += '/';
        joined += Scalar(item);
      }
      return joined;
    }
    case Value::Type::kObject:
      break;
  }
  return "{...}";
}

bool AllScalars(const std::vector<Value>& items) {
  return std::all_of(items.begin(), items.end(), [](const Value& v) { return v.IsScalar(); });
}

// Scalars and lists of scalars fit in one cell.
bool IsFlat(const Value& value) {
  return value.IsScalar() || (value.type() == Value::Type::kArray && AllScalars(value.Items()));
}

std::string Label(const std::string& label) {
  std::string padded = "  " + label;
  if (padded.size() < kLabelWidth + 2) padded.resize(kLabelWidth + 2, ' ');
  return padded + ' ';
}

// A list of objects as a table with a heading row; columns padded to their
// widest cell.
void Table(std::string& out, const std::string& label, const std::vector<Value>& rows) {
  std::vector<std::string> keys;
  for (const Value& row : rows)
    for (const Value::Member& member : row.Members())
      if (std::find(keys.begin(), keys.end(), member.first) == keys.end()) keys.push_back(member.first);
  std::vector<std::vector<std::string>> cells(rows.size() + 1);
  cells[0] = keys;
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (const std::string& key : keys) {
      const Value* cell = rows[r].Find(key);
      cells[r + 1].push_back(cell == nullptr ? "" : Scalar(*cell, key));
    }
  std::vector<std::size_t> widths(keys.size(), 0);
  for (const auto& line : cells)
    for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
  out += "  " + label + " (" + std::to_string(rows.size()) + ")\n";
  for (const auto& line : cells) {
    std::string text = "    ";
    for (std::size_t c = 0; c < line.size(); ++c) {
      std::string cell = line[c];
      cell.insert(0, widths[c] - cell.size(), ' ');
      text += cell + (c + 1 < line.size() ? "  " : "");
    }
    out += text + '\n';
  }
}

// [Y, M, D, h, m, s] as a date and time.
bool IsTime(const std::string& key, const Value& value) {
  return key == "time" && value.type() == Value::Type::kArray && value.Items().size() == 6 &&
         AllScalars(value.Items());
}

std::string Time(const Value& value) {
  const std::vector<Value>& t = value.Items();
  char text[64];
  std::snprintf(text, sizeof(text), "%04lld-%02lld-%02lld %02lld:%02lld:%06.3f", t[0].AsInt(), t[1].AsInt(),
                t[2].AsInt(), t[3].AsInt(), t[4].AsInt(), t[5].AsDouble());
  return text;
}

void Member(std::string& out, const std::string& label, const Value& value) {
  if (IsFlat(value)) {
    out += Label(label) + Scalar(value, label) + '\n';
    return;
  }
  if (value.type() == Value::Type::kObject) {
    bool flat = true;
    for (const Value::Member& member : value.Members()) flat = flat && IsFlat(member.second);
    if (flat) {
      std::string line = Label(label);
      for (const Value::Member& member : value.Members())
        line += member.first + ' ' +
                (IsTime(member.first, member.second) ? Time(member.second) : Scalar(member.second, member.first)) +
                "  ";
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out += line + '\n';
      return;
    }
    for (const Value::Member& member : value.Members()) Member(out, label + '.' + member.first, member.second);
    return;
  }
  // An array with nested elements: a table of objects, or one line per element.
  const std::vector<Value>& items = value.Items();
  const bool objects = std::all_of(items.begin(), items.end(), [](const Value& v) {
    if (v.type() != Value::Type::kObject) return false;
    for (const Value::Member& member : v.Members())
      if (!IsFlat(member.second)) return false;
    return true;
  });
  if (objects) {
    Table(out, label, items);
    return;
  }
  for (std::size_t i = 0; i < items.size(); ++i)
    Member(out, label + '[' + std::to_string(i) + ']', items[i]);
}

}  // namespace

std::string ToText(const Value& record) {
  if (record.type() != Value::Type::kObject) return Scalar(record) + '\n';
  std::string heading;
  for (const Value::Member& member : record.Members())
    if (member.second.IsScalar()) {
      if (!heading.empty()) heading += "  ";
      heading += member.first + ' ' + Scalar(member.second, member.first);
    }
  std::string out = heading + '\n';
  for (const Value::Member& member : record.Members())
    if (!member.second.IsScalar()) Member(out, member.first, member.second);
  return out;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
