// NovAtel binary logs built from fuzz input, with a valid CRC-32 so that the
// log decoders behind the frame check run. Each entry of the input: message
// ID u16, message type u8, announced body length u16, then the body, as many
// bytes as announced and present; the announced length is written into the
// header as given, so it may lie.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace Fuzz {

inline std::vector<std::vector<std::uint8_t>> BuildNovAtelLogs(const std::uint8_t* data, std::size_t size) {
  std::vector<std::vector<std::uint8_t>> logs;
  std::size_t at = 0;
  while (at + 5 <= size) {
    const unsigned announced = data[at + 3] | (data[at + 4] << 8);
    const std::size_t body = std::min<std::size_t>(announced, size - at - 5);
    // Sync, header length 28, message ID, type, announced length; week 1562.
    std::vector<std::uint8_t> log = {0xAA, 0x44, 0x12, 28, data[at], data[at + 1], data[at + 2], 0,
                                     data[at + 3], data[at + 4]};
    log.resize(28);
    log[14] = 0x1A, log[15] = 0x06;
    at += 5;
    log.insert(log.end(), data + at, data + at + body);
    at += body;
    const std::uint32_t crc = NovAtel::Crc32(log.data(), log.size());
    for (int k = 0; k < 4; ++k) log.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
    logs.push_back(log);
  }
  return logs;
}

}  // namespace Fuzz
}  // namespace KsParse
}  // namespace Kestrel
