// Creation of the board adapters, one function per board family, so that the
// engines' board factories need not know the concrete classes. Each returns
// a complete adapter (frame buffer, command set and decoder all allocated),
// or null when an allocation fails or the family is not in this build, so
// that the factories may write the new adapter's settings without checks.
#pragma once

#include <cstdint>

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

// `board_generation` 1 or 2 sets the NovAtel command set's generation; any
// other value keeps its default.
BoardAdapter* CreateNovAtelAdapter(std::uint32_t board_generation);
// `added_word` 0 or 1 sets the Trimble command set's added word; any other
// value keeps its default.
BoardAdapter* CreateTrimbleAdapter(std::int32_t added_word);
BoardAdapter* CreateSoftReceiverAdapter();
BoardAdapter* CreateHemisphereAdapter();
BoardAdapter* CreateHemisphere2Adapter();
// `kind` 5 (GP/GL talkers) or 6 (GP/GL/GN/BD talkers).
BoardAdapter* CreateNmeaOnlyAdapter(std::uint32_t kind);
BoardAdapter* CreateNewProtoBoardAdapter();

// `adapter` when it and every part of it (frame buffer, command set,
// decoder and its differential stream) were allocated; otherwise it is
// destroyed and null returned. For the factory functions above.
inline BoardAdapter* CompleteAdapter(BoardAdapter* adapter) {
  if (adapter == nullptr) return nullptr;
  if (adapter->frame == nullptr || adapter->commands == nullptr || adapter->decoder == nullptr ||
      adapter->decoder->diff == nullptr) {
    delete adapter;
    return nullptr;
  }
  return adapter;
}

}  // namespace KsParse
}  // namespace Kestrel
