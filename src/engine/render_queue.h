#pragma once
// The Render queue: collects the frame's draw entries, sorts and batches
// them and draws the whole frame in few draw calls.
#include <cstdint>
#include <vector>

#include "engine/draw_entry.h"

namespace dw {

class GameContext;

class RenderQueue {
public:
    explicit RenderQueue(GameContext* ctx);
    ~RenderQueue();
    RenderQueue(const RenderQueue&) = delete;
    RenderQueue& operator=(const RenderQueue&) = delete;

    // Appends a copy of the entry; the Game context's drawRequest is zeroed.
    void Submit(const DrawEntry& entry);
    // Draws the whole frame. An empty queue draws nothing at all.
    HRESULT Flush();
    // Forgets every entry.
    void Clear();
    HRESULT RestoreDeviceObjects();
    HRESULT InvalidateDeviceObjects();

    std::size_t EntryCount() const { return entries_.size(); }
    // Batches drawn by the last Flush.
    std::uint32_t lastBatchCount = 0;

private:
    GameContext* context_;
    std::vector<DrawEntry> entries_;
};

}  // namespace dw
