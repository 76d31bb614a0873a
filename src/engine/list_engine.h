#pragma once
// The one ordered list that owns and drives every live Game object.
#include <cstdint>
#include <list>

namespace dw {

class MyObject;

class ListEngine {
public:
    // One live object; `next` walks the list in order (null after the last).
    struct Node {
        Node* next;
        MyObject* object;
    };

    ListEngine() = default;
    ListEngine(const ListEngine&) = delete;
    ListEngine& operator=(const ListEngine&) = delete;
    ~ListEngine() = default;  // frees nothing but itself: DestroyAll first

    // Inserts the object after every object of a lower or equal order; the
    // number of objects then.
    std::uint32_t AddObject(MyObject* object);
    // Unlinks the object without destroying it: 1, or 0 when it is not listed.
    std::uint32_t RemoveObject(MyObject* object);
    // The object's place in the list from 1, or 0 when it is not listed.
    std::uint32_t FindObject(const MyObject* object) const;
    std::uint32_t CountObjects() const;

    // Moves every object once, in order. An object that ends its move dead
    // is unlinked, cleaned up and destroyed; objects added behind the one
    // moving are moved in the same pass, those added in front next time.
    // A move or a clean-up may add and remove objects, the moving one
    // included: when the moving one leaves, the pass goes on after the
    // nearest object before it (so what was put in its place is moved too),
    // and it never touches an object after its removal.
    void FrameMoveAll();
    void RenderAll();
    void InvalidateAll();
    void RestoreAll();
    void DeleteAll();
    // Destroys every object (without its FinalCleanup); always 1.
    std::uint32_t DestroyAll();

    // Read-only walk for tools (reports, tests): head of the list.
    const Node* Head() const { return nodes_.empty() ? nullptr : &nodes_.front(); }
    // Live objects whose name is `name`.
    std::uint32_t CountNamed(const char* name) const;

private:
    using Nodes = std::list<Node>;
    Nodes::iterator Position(const MyObject* object);
    Nodes::const_iterator Position(const MyObject* object) const;
    // Removes the node at `at`, keeping the `next` links whole.
    void Erase(Nodes::iterator at);

    // Unlinks the node; during the pass, keeps the pass's place.
    void Unlink(Nodes::iterator at);

    Nodes nodes_;
    // The pass's place: the node being moved; once that node is removed,
    // the place after `before_` (after the head's place when `fromHead_`).
    Nodes::iterator cursor_;
    Nodes::iterator before_;
    bool walking_ = false;
    bool cursorGone_ = false;
    bool fromHead_ = false;
};

}  // namespace dw
