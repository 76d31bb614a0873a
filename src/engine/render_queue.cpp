#include "engine/render_queue.h"

#include <cstring>

#include "app/game_context.h"

namespace dw {

RenderQueue::RenderQueue(GameContext* ctx) : context_(ctx) {}
RenderQueue::~RenderQueue() = default;

void RenderQueue::Submit(const DrawEntry& entry) {
    entries_.push_back(entry);
    std::memset(&context_->drawRequest, 0, sizeof context_->drawRequest);
}

HRESULT RenderQueue::Flush() { return S_OK; }
void RenderQueue::Clear() { entries_.clear(); }
HRESULT RenderQueue::RestoreDeviceObjects() { return S_OK; }
HRESULT RenderQueue::InvalidateDeviceObjects() { return S_OK; }

}  // namespace dw
