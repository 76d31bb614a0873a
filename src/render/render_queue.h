#pragma once
// The Render queue: collects the frame's draw entries, sorts and batches
// them and draws the whole frame in few draw calls.
//
// Order of a frame: depth-tested world geometry (opaque, then blended),
// depth-tested screen sprites, then the same without depth; blended groups
// run back to front by sortKey. Entries the order cannot tell apart keep
// the order they were submitted in. Runs of compatible entries become one
// batch and one draw call. Ground shadows are drawn right before the first
// run after the first that begins with a blended entry.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/draw_entry.h"

namespace gfx {
class VertexBuffer;
class IndexBuffer;
}  // namespace gfx

namespace dw {

class GameContext;
class MeshView;

class RenderQueue {
public:
    // Capacities of the frame buffers, in vertices and indices. A frame with
    // more geometry than fits is drawn in several passes.
    static constexpr std::uint32_t kMeshVertices = 20000;
    static constexpr std::uint32_t kMeshIndices = 30000;
    static constexpr std::uint32_t kSpriteVertices = 30000;
    static constexpr std::uint32_t kQuadVertices = 20000;
    static constexpr std::uint32_t kQuadIndices = 30000;
    static constexpr std::uint32_t kShadowVertices = 8000;
    static constexpr std::uint32_t kShadowIndices = 12000;
    static constexpr std::uint32_t kTwoStageVertices = 1200;

    explicit RenderQueue(GameContext* ctx);
    ~RenderQueue();
    RenderQueue(const RenderQueue&) = delete;
    RenderQueue& operator=(const RenderQueue&) = delete;

    // Appends a copy of the entry; the Game context's drawRequest is zeroed.
    // Sprite and world-quad copies lose their material and lighting fields.
    void Submit(const DrawEntry& entry);
    // Draws the whole frame. An empty queue draws nothing at all.
    HRESULT Flush();
    // Forgets every entry.
    void Clear();
    // Creates (and releases) the eight dynamic buffers of the frame.
    HRESULT RestoreDeviceObjects();
    HRESULT InvalidateDeviceObjects();

    std::size_t EntryCount() const { return entries_.size(); }
    // The i-th entry submitted since the last Clear.
    const DrawEntry& EntryAt(std::size_t i) const { return entries_[i].entry; }
    // Whether the device blends a second texture stage (known once the
    // buffers are restored): two-stage entries need it.
    bool SecondStage() const { return secondStage_; }
    // Batches drawn by the last Flush (each one draw call).
    std::uint32_t lastBatchCount = 0;
    // Buffer fills the last Flush needed (1 unless the frame overflowed).
    std::uint32_t lastPassCount = 0;

    // Buffer kinds (indices into the buffer table).
    enum Buffer : int { MeshVB, MeshIB, SpriteVB, QuadVB, QuadIB, ShadowVB, ShadowIB, TwoStageVB, BufferCount };

    // What a batch draws, from which buffers.
    enum class BatchKind : std::uint8_t { Mesh, Sprite, Quad, Shadow, TwoStage };

    struct Batch {
        BatchKind kind;
        std::uint32_t firstVertex, vertexCount;
        std::uint32_t firstIndex, indexCount;
        std::uint8_t alphaBlend;
        std::uint32_t srcBlend, destBlend;
        std::uint8_t noDepth;
        std::uint8_t worldQuads;
        const char* texture;
        const char* underTexture;  // stage 1 of two-stage sprites
        RepeatSquare repeat;       // what a two-stage batch repeats
        D3DMATERIAL8 material;
        std::uint8_t lit;
        std::uint32_t lightSet;
        std::uint8_t lightEnable[5];
    };

private:
    struct Node {
        DrawEntry entry;
        std::uint32_t serial;
        // The parts of the order worked out once, at submission.
        std::int64_t keyStep;
        float materialKey;
        std::uint32_t lightBits;
    };
    struct Sorted {
        float distance;
        const WorldQuad* quad;
    };

    // The frame order: true when `a` draws before `b`. A strict total order
    // (the submission serial breaks the last tie), so std::sort may use it.
    bool Before(const Node& a, const Node& b) const;
    void SortEntries();
    // The batch a run of compatible entries starting with `first` fills.
    Batch TemplateOf(const DrawEntry& first) const;
    // Splits the sorted entries into runs and fills their batches.
    void BuildRuns();
    bool Compatible(const DrawEntry& a, const DrawEntry& b) const;

    // Pass handling: the buffers are locked for one pass, filled, unlocked
    // and the pass's batches drawn.
    bool BeginPass(Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices);
    void EndPass();
    bool Fits(Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices) const;
    Batch& OpenBatch(const Batch& templ);
    void CloseBatch();
    // Makes room for the geometry (ending the pass when it does not fit);
    // false when it cannot fit even an empty pass.
    bool Reserve(const Batch& templ, Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices);

    void BuildMeshRun(std::size_t begin, std::size_t end, const Batch& templ);
    void BuildSpriteRun(std::size_t begin, std::size_t end, const Batch& templ);
    void BuildQuadRun(std::size_t begin, std::size_t end, const Batch& templ);
    void BuildShadows();
    void AppendShadowQuad(const Batch& templ, const DrawEntry& e, float x, float z);
    // Copies a mesh's indices (moved past what the pass holds) and its
    // vertices, each made by `vertex`, into the pass's buffers.
    template <typename Vertex, typename MakeVertex>
    void CopyMesh(const MeshView& mesh, Buffer vb, Buffer ib, MakeVertex vertex);

    void DrawBatch(const Batch& b);
    // The state every batch sets: depth, blending, filters, material
    // sources, textures, material.
    void ApplyBatchState(const Batch& b);
    // The draw of each kind; each binds its buffers when the kind changes.
    HRESULT DrawMeshBatch(const Batch& b, bool sameKind);
    HRESULT DrawTriangleBatch(const Batch& b, bool sameKind);
    HRESULT DrawIndexedBatch(const Batch& b, bool sameKind);
    void UseVertexFormat(DWORD fvf);
    void SetState(D3DRENDERSTATETYPE state, DWORD value);
    void SetStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value, DWORD stage = 0);
    void SetUnderStage(const Batch& b);
    void ForgetStates();
    void CountEntry(const DrawEntry& e, std::uint64_t* need) const;
    void CountShadows(std::uint64_t* need) const;

    GameContext* context_;
    std::vector<Node> entries_;
    std::vector<std::uint32_t> order_;  // sorted positions into entries_
    std::uint32_t serial_ = 0;
    std::vector<Batch> batches_;   // of the current pass
    std::vector<Sorted> scratch_;  // world quads of one run
    D3DMATERIAL8 defaultMaterial_{};
    bool batchOpen_ = false;
    bool locked_ = false;

    gfx::VertexBuffer* vertexBuffers_[BufferCount] = {};
    gfx::IndexBuffer* indexBuffers_[BufferCount] = {};
    std::uint8_t* mapped_[BufferCount] = {};
    std::uint32_t used_[BufferCount] = {};       // elements written this pass
    std::uint32_t lockedCap_[BufferCount] = {};  // elements locked this pass
    std::size_t cursor_ = 0;                     // sorted position being built
    bool shadowsDone_ = false;

    // What the device was last given during this flush.
    static constexpr int kStateSlots = 160;
    DWORD renderState_[kStateSlots] = {};
    bool renderKnown_[kStateSlots] = {};
    DWORD stageState_[2][32] = {};
    bool stageKnown_[2][32] = {};
    const char* boundTexture_ = nullptr;
    bool textureKnown_ = false;
    const char* underTexture_ = nullptr;  // stage 1, while it is on
    bool stageOneOn_ = false;
    bool secondStage_ = false;
    D3DMATERIAL8 material_{};
    bool materialKnown_ = false;
    std::optional<BatchKind> lastKind_;
    DWORD fvf_ = 0;
};

// The blend factors of a sprite: laid over what is there by its alpha
// (the default), or added to it.
inline constexpr std::uint32_t kBlendSource = D3DBLEND_SRCALPHA;
inline constexpr std::uint32_t kBlendOver = D3DBLEND_INVSRCALPHA;
inline constexpr std::uint32_t kBlendAdd = D3DBLEND_ONE;

// Queues pre-transformed screen sprites: the entry every object submits.
// By default alpha-blended (source alpha over inverse source alpha) and
// drawn without depth test; an empty run submits nothing.
void SubmitSprite(GameContext* ctx, const char* texture, const ScreenVertex* vertices, std::uint32_t triangles,
                  float sortKey, std::uint32_t srcBlend = kBlendSource, std::uint32_t destBlend = kBlendOver,
                  bool noDepth = true, bool alphaBlend = true);

// Queues a two-stage screen entry (see DrawEntry::twoStage): drawn opaque,
// without depth, sorted among the blended screen sprites by sortKey;
// `repeat` says what its picture repeats, if anything.
void SubmitTwoStage(GameContext* ctx, const char* texture, const char* underTexture, const ScreenVertex2* vertices,
                    std::uint32_t triangles, float sortKey, const RepeatSquare& repeat = {});

}  // namespace dw
