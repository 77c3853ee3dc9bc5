// Creation of the new-protocol board adapter.
#include "boards/adapter_factory.h"

namespace Kestrel {
namespace KsParse {

// Not in this build yet: the engine runs without an adapter.
BoardAdapter* CreateNewProtoBoardAdapter() { return nullptr; }

}  // namespace KsParse
}  // namespace Kestrel
