#include "tools/decode_summary.h"

#include <cmath>
#include <cstdio>

#include "tools/output.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

double Number(const Value* v) {
  if (v == nullptr) return 0.0;
  switch (v->type()) {
    case Value::Type::kInt:
      return static_cast<double>(v->AsInt());
    case Value::Type::kUint:
      return static_cast<double>(v->AsUint());
    case Value::Type::kDouble:
      return v->AsDouble();
    default:
      return 0.0;
  }
}

std::string Fix(const Value& pos) {
  const Value* time = pos.Find("time");
  double t[6] = {0, 0, 0, 0, 0, 0};
  if (time != nullptr)
    for (std::size_t i = 0; i < 6 && i < time->Items().size(); ++i) t[i] = Number(&time->Items()[i]);
  const double lat = Number(pos.Find("lat"));
  const double lon = Number(pos.Find("lon"));
  char text[160];
  std::snprintf(text, sizeof(text), "%04.0f-%02.0f-%02.0f %02.0f:%02.0f:%06.3f  %.9f %c  %.9f %c  %.3f m  solution %.0f",
                t[0], t[1], t[2], t[3], t[4], t[5], std::fabs(lat), lat < 0 ? 'S' : 'N', std::fabs(lon),
                lon < 0 ? 'W' : 'E', Number(pos.Find("height")), Number(pos.Find("solution")));
  return text;
}

const char* ListName(const std::string& key) {
  if (key == "1") return "GPS";
  if (key == "2") return "GLONASS";
  if (key == "3") return "BeiDou";
  return "list 4";
}

}  // namespace

void DecodeSummary::Add(const Value& record) {
  ++records_;
  ++by_kind_[static_cast<unsigned>(Number(record.Find("kind")))];
  if (const Value* pos = record.Find("pos")) {
    if (first_fix_.type() == Value::Type::kNull) first_fix_ = *pos;
    last_fix_ = *pos;
  }
  if (const Value* sats = record.Find("sats"))
    for (const Value::Member& list : sats->Members()) in_view_[list.first] = list.second.Items().size();
  if (const Value* dop = record.Find("dop")) dop_ = *dop;
}

std::string DecodeSummary::Text(std::uint64_t bytes) const {
  std::string text = "  " + std::to_string(bytes) + " bytes, " + std::to_string(records_) + " messages" +
                     Tally(by_kind_, "kind ") + "\n";
  if (first_fix_.type() == Value::Type::kNull) {
    text += "  no fix\n";
  } else {
    text += "  first fix  " + Fix(first_fix_) + "\n";
    text += "  last fix   " + Fix(last_fix_) + "\n";
  }
  if (!in_view_.empty()) {
    text += "  in view   ";
    for (const auto& list : in_view_) text += std::string(" ") + ListName(list.first) + " " + std::to_string(list.second);
    text += "\n";
  }
  if (dop_.type() != Value::Type::kNull) {
    char line[128];
    std::snprintf(line, sizeof(line), "  DOP        pdop %.2f  hdop %.2f  vdop %.2f\n", Number(dop_.Find("pdop")),
                  Number(dop_.Find("hdop")), Number(dop_.Find("vdop")));
    text += line;
  }
  return text;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
