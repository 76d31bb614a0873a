#pragma once
// "glevels": reads the ten level scripts from the program's own resources
// into the level tables of the Game context, once, before the first frame.
#include <cstdint>

#include "engine/my_object.h"

namespace platform {
class ModuleResources;
}

namespace dw {

class GameLevels : public MyObject {
public:
    explicit GameLevels(GameContext* ctx);
    // The buffers go with the loader (at shutdown the list destroys it
    // without FinalCleanup).
    ~GameLevels() override;

    // Loads levels 0 to 9 in order; a level that fails stays empty.
    std::int32_t LoadLevels(std::uint8_t flag);
    // 0, or E_FAIL with one log line.
    std::int32_t LoadLevel(std::uint32_t n);
    std::int32_t FinalCleanup() override;

    std::uint8_t loaded = 0;

private:
    platform::ModuleResources& Module() const;
    void Fail(const char* format, std::uint32_t n) const;
};

// Frees the record buffers of every level and clears the pointers.
void FreeLevelBuffers(GameContext* ctx);

}  // namespace dw
