// Values compared as one list, so that a failure shows all of them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Testing {

using U = std::vector<std::int64_t>;
using D = std::vector<double>;

// Element by element within `tolerance`, plus a few units in the last place
// of the expected value.
inline void ExpectNear(const D& got, const D& want, double tolerance = 0) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i)
    EXPECT_NEAR(got[i], want[i], tolerance + 1e-15 * std::fabs(want[i])) << "value " << i;
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
