// Creation of the Hemisphere board adapters, both generations.
#include "boards/adapter_factory.h"

namespace Kestrel {
namespace KsParse {

// Not in this build yet: the engine runs without an adapter.
BoardAdapter* CreateHemisphereAdapter() { return nullptr; }
BoardAdapter* CreateHemisphere2Adapter() { return nullptr; }

}  // namespace KsParse
}  // namespace Kestrel
