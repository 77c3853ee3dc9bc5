// Creation of the Trimble board adapter.
#include "boards/adapter_factory.h"

namespace Kestrel {
namespace KsParse {

// Not in this build yet: the engine runs without an adapter.
BoardAdapter* CreateTrimbleAdapter(std::int32_t) { return nullptr; }

}  // namespace KsParse
}  // namespace Kestrel
