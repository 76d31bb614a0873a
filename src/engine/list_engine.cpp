#include "engine/list_engine.h"

#include "engine/my_object.h"

#include <cstring>

namespace dw {

std::uint32_t ListEngine::AddObject(MyObject* object) {
    Node* node = new Node{nullptr, object};
    if (!head_) {
        head_ = tail_ = node;
        return 1;
    }
    for (insertCursor_ = head_; insertCursor_; insertCursor_ = insertCursor_->next) {
        if (insertCursor_->object->order > object->order) {
            if (insertCursor_ == head_) {
                node->next = head_;
                head_ = node;
            } else {
                Node* before = head_;
                while (before->next != insertCursor_) before = before->next;
                node->next = insertCursor_;
                before->next = node;
            }
            insertCursor_ = nullptr;
            return CountObjects();
        }
    }
    tail_->next = node;
    tail_ = node;
    return CountObjects();
}

std::uint32_t ListEngine::CountNamed(const char* name) const {
    std::uint32_t n = 0;
    for (const Node* node = head_; node; node = node->next)
        n += node->object->name && name && std::strcmp(node->object->name, name) == 0;
    return n;
}

std::uint32_t ListEngine::FindObject(MyObject* object) {
    std::uint32_t position = 1;
    for (removeCursor_ = head_; removeCursor_; removeCursor_ = removeCursor_->next, ++position) {
        if (removeCursor_->object == object) return position;
    }
    return 0;
}

std::uint32_t ListEngine::RemoveObject(MyObject* object) {
    if (!head_ || FindObject(object) == 0) return 0;
    Node* node = removeCursor_;
    if (head_ == tail_) {
        head_ = tail_ = nullptr;
    } else if (node == head_) {
        head_ = node->next;
    } else {
        Node* before = head_;
        while (before->next != node) before = before->next;
        before->next = node->next;
        if (node == tail_) tail_ = before;
    }
    delete node;
    removeCursor_ = nullptr;
    return 1;
}

std::uint32_t ListEngine::CountObjects() {
    std::uint32_t count = 0;
    for (removeCursor_ = head_; removeCursor_; removeCursor_ = removeCursor_->next) ++count;
    return count;
}

void ListEngine::FrameMoveAll() {
    if (!head_) return;
    moveCursor_ = head_;
    while (moveCursor_) {
        MyObject* object = moveCursor_->object;
        object->FrameMove();
        Node* handled = moveCursor_;
        if (object->dead == 1) {
            // Remember the neighbours before unlinking; the walk goes on from
            // the predecessor (or the new head when the dead one was first).
            MyObject* before = nullptr;
            if (handled != head_) {
                Node* b = head_;
                while (b && b->next != handled) b = b->next;
                before = b ? b->object : nullptr;
            }
            MyObject* after = handled->next ? handled->next->object : nullptr;
            RemoveObject(object);
            object->FinalCleanup();
            delete object;
            // FinalCleanup may have removed other objects, even the neighbours.
            Node* beforeNode = before ? NodeOf(before) : nullptr;
            if (!before || !beforeNode) {
                if (!before) {
                    moveCursor_ = head_;
                } else {
                    moveCursor_ = after ? NodeOf(after) : nullptr;
                }
                continue;
            }
            handled = beforeNode;
        }
        if (handled == tail_) break;
        moveCursor_ = handled->next;
    }
    moveCursor_ = nullptr;
}

ListEngine::Node* ListEngine::NodeOf(MyObject* object) const {
    for (Node* n = head_; n; n = n->next) {
        if (n->object == object) return n;
    }
    return nullptr;
}

void ListEngine::RenderAll() {
    for (Node* n = head_; n; n = n->next) {
        if (n->object->visible == 1) n->object->Render();
    }
}

void ListEngine::InvalidateAll() {
    for (Node* n = head_; n; n = n->next) n->object->InvalidateDeviceObjects();
}

void ListEngine::RestoreAll() {
    for (Node* n = head_; n; n = n->next) n->object->RestoreDeviceObjects();
}

void ListEngine::DeleteAll() {
    for (Node* n = head_; n; n = n->next) n->object->DeleteDeviceObjects();
}

std::uint32_t ListEngine::DestroyAll() {
    if (!head_) return 1;
    Node* n = head_;
    while (n) {
        Node* next = n->next;
        MyObject* object = n->object;
        delete n;
        delete object;
        n = next;
    }
    head_ = tail_ = insertCursor_ = removeCursor_ = moveCursor_ = nullptr;
    return 1;
}

}  // namespace dw
