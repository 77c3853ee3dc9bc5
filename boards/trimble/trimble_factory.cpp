// Creation of the Trimble board adapter.
#include <new>

#include "boards/adapter_factory.h"
#include "boards/trimble/trimble_adapter.h"
#include "boards/trimble/trimble_commands.h"

namespace Kestrel {
namespace KsParse {

BoardAdapter* CreateTrimbleAdapter(std::int32_t added_word) {
  BoardAdapter* adapter = CompleteAdapter(new (std::nothrow) TrimbleAdapter());
  if (adapter != nullptr && (added_word == 0 || added_word == 1))
    static_cast<TrimbleCommandSet*>(adapter->commands)->gen1_word = static_cast<std::uint32_t>(added_word);
  return adapter;
}

}  // namespace KsParse
}  // namespace Kestrel
