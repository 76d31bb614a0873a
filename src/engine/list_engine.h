#pragma once
// The one ordered list that owns and drives every live Game object.
#include <cstdint>

namespace dw {

class MyObject;

class ListEngine {
public:
    struct Node {
        Node* next;
        MyObject* object;
    };

    ListEngine() = default;
    ListEngine(const ListEngine&) = delete;
    ListEngine& operator=(const ListEngine&) = delete;
    virtual ~ListEngine() = default;  // frees nothing but itself: DestroyAll first

    std::uint32_t AddObject(MyObject* object);
    std::uint32_t RemoveObject(MyObject* object);
    std::uint32_t FindObject(MyObject* object);
    std::uint32_t CountObjects();

    void FrameMoveAll();
    void RenderAll();
    void InvalidateAll();
    void RestoreAll();
    void DeleteAll();
    std::uint32_t DestroyAll();

    // Read-only walk for tools (reports, tests): head of the list.
    const Node* Head() const { return head_; }
    // Live objects whose name is `name`.
    std::uint32_t CountNamed(const char* name) const;

private:
    Node* NodeOf(MyObject* object) const;

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* insertCursor_ = nullptr;
    Node* removeCursor_ = nullptr;
    Node* moveCursor_ = nullptr;  // node being moved by FrameMoveAll
};

}  // namespace dw
