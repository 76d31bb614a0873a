// Used only until the level compiler is part of the build: no levels.
#include "platform/embedded_resources.h"

namespace dw {
const EmbeddedResource kEmbeddedLevels[1] = {{nullptr, nullptr, 0}};
const std::size_t kEmbeddedLevelCount = 0;
}  // namespace dw
