#pragma once
// Data files compiled into the executable (the ten level scripts).
#include <cstddef>
#include <cstdint>

namespace dw {

struct EmbeddedResource {
    const char* name;  // e.g. "GAMELEVEL0"
    const std::uint8_t* data;
    std::size_t size;
};

extern const EmbeddedResource kEmbeddedLevels[];
extern const std::size_t kEmbeddedLevelCount;

}  // namespace dw
