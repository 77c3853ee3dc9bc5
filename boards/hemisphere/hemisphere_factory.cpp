// Creation of the Hemisphere board adapters, both generations.
#include <new>

#include "boards/adapter_factory.h"
#include "boards/hemisphere/hemisphere_adapter.h"

namespace Kestrel {
namespace KsParse {

BoardAdapter* CreateHemisphereAdapter() { return CompleteAdapter(new (std::nothrow) Hemisphere1Adapter()); }
BoardAdapter* CreateHemisphere2Adapter() { return CompleteAdapter(new (std::nothrow) Hemisphere2Adapter()); }

}  // namespace KsParse
}  // namespace Kestrel
