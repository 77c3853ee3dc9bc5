// Board families whose adapters this build does not include yet: their
// factories create nothing, so the engine runs without an adapter and every
// query answers with its default.
#include "boards/adapter_factory.h"

namespace Kestrel {
namespace KsParse {

BoardAdapter* CreateSoftReceiverAdapter() { return nullptr; }

}  // namespace KsParse
}  // namespace Kestrel
