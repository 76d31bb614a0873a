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

std::uint32_t ListEngine::RemoveObject(MyObject* object) {
    const auto at = Position(object);
    if (at == nodes_.end()) return 0;
    Erase(at);
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
    auto it = nodes_.begin();
    while (it != nodes_.end()) {
        MyObject* object = it->object;
        object->FrameMove();
        if (object->dead != 1) {
            ++it;
            continue;
        }
        // Remember the neighbours before unlinking: the walk goes on after
        // the one before (from the head when the dead one was first).
        const MyObject* before = it == nodes_.begin() ? nullptr : std::prev(it)->object;
        const MyObject* after = std::next(it) == nodes_.end() ? nullptr : std::next(it)->object;
        Erase(it);
        object->FinalCleanup();
        delete object;
        // FinalCleanup may have removed other objects, even the neighbours.
        if (before == nullptr) {
            it = nodes_.begin();
        } else if (const auto b = Position(before); b != nodes_.end()) {
            it = std::next(b);
        } else {
            it = after ? Position(after) : nodes_.end();
        }
    }
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
