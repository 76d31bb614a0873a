#pragma once
// The end-of-run report (--report FILE): one JSON object with the frame
// count, whether an attract demo plays (1) or not (0), every scalar of the Game context, the live objects by name and the
// last frame's renderer counters.
#include <cstdint>
#include <string>

namespace dw {

class GameContext;
class ListEngine;

struct RendererCounters {
    std::uint64_t draws = 0;
    std::uint64_t batches = 0;
    std::uint64_t vertices = 0;
    std::uint64_t textureBinds = 0;
};

std::string BuildReport(const GameContext& ctx, const ListEngine* objects, std::uint64_t frames,
                        const RendererCounters& renderer);
bool WriteReport(const std::string& path, const std::string& json);

}  // namespace dw
