#include "engine/list_engine.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engine/my_object.h"

namespace dw {

ListEngine::Nodes::iterator ListEngine::Position(const MyObject* object) {
    return std::find_if(nodes_.begin(), nodes_.end(), [object](const Node& n) { return n.object == object; });
}

ListEngine::Nodes::const_iterator ListEngine::Position(const MyObject* object) const {
    return std::find_if(nodes_.begin(), nodes_.end(), [object](const Node& n) { return n.object == object; });
}

std::uint32_t ListEngine::AddObject(MyObject* object) {
    const auto at =
        std::find_if(nodes_.begin(), nodes_.end(), [object](const Node& n) { return n.object->order > object->order; });
    const auto added = nodes_.insert(at, Node{at == nodes_.end() ? nullptr : &*at, object});
    if (added != nodes_.begin()) std::prev(added)->next = &*added;
    return CountObjects();
}

void ListEngine::Erase(Nodes::iterator at) {
    if (at != nodes_.begin()) std::prev(at)->next = at->next;
    nodes_.erase(at);
}

void ListEngine::Unlink(Nodes::iterator at) {
    if (walking_) {
        // The pass stands on this node (or, once it is gone, after the one
        // before it): it goes on after the nearest node still before it.
        if ((!cursorGone_ && at == cursor_) || (cursorGone_ && !fromHead_ && at == before_)) {
            cursorGone_ = true;
            fromHead_ = at == nodes_.begin();
            if (!fromHead_) before_ = std::prev(at);
        }
    }
    Erase(at);
}

std::uint32_t ListEngine::RemoveObject(MyObject* object) {
    const auto at = Position(object);
    if (at == nodes_.end()) return 0;
    Unlink(at);
    return 1;
}

std::uint32_t ListEngine::FindObject(const MyObject* object) const {
    const auto at = Position(object);
    return at == nodes_.end() ? 0 : static_cast<std::uint32_t>(std::distance(nodes_.begin(), at)) + 1;
}

std::uint32_t ListEngine::CountObjects() const { return static_cast<std::uint32_t>(nodes_.size()); }

std::uint32_t ListEngine::CountNamed(const char* name) const {
    if (name == nullptr) return 0;
    return static_cast<std::uint32_t>(std::count_if(nodes_.begin(), nodes_.end(), [name](const Node& n) {
        return n.object->name && std::strcmp(n.object->name, name) == 0;
    }));
}

void ListEngine::FrameMoveAll() {
    walking_ = true;
    cursor_ = nodes_.begin();
    while (cursor_ != nodes_.end()) {
        cursorGone_ = false;
        MyObject* object = cursor_->object;
        object->FrameMove();
        // Removed by its own move: no longer the list's, and maybe gone.
        if (!cursorGone_ && object->dead == 1) {
            Unlink(cursor_);
            // The clean-up may remove other objects, the one before too.
            object->FinalCleanup();
            delete object;
        }
        if (!cursorGone_)
            ++cursor_;
        else
            cursor_ = fromHead_ ? nodes_.begin() : std::next(before_);
    }
    walking_ = false;
}

void ListEngine::RenderAll() {
    for (const Node& n : nodes_) {
        if (n.object->visible == 1) n.object->Render();
    }
}

void ListEngine::InvalidateAll() {
    for (const Node& n : nodes_) n.object->InvalidateDeviceObjects();
}

void ListEngine::RestoreAll() {
    for (const Node& n : nodes_) n.object->RestoreDeviceObjects();
}

void ListEngine::DeleteAll() {
    for (const Node& n : nodes_) n.object->DeleteDeviceObjects();
}

std::uint32_t ListEngine::DestroyAll() {
    // Taken out of the list first: a destructor that looks for itself finds nothing.
    Nodes doomed;
    doomed.swap(nodes_);
    for (const Node& n : doomed) delete n.object;
    return 1;
}

}  // namespace dw
