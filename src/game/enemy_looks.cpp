#include "game/enemy_looks.h"

#include "assets/asset_names.h"
#include "assets/sprite_layout.h"

namespace dw {

namespace {
using S = SoundSlot;

// Sizes, depths and explosion sizes that a class draws at random when it is
// built are set by its constructor over these rows.
// One row per enemy class, laid out by hand.
// clang-format off
const EnemyLook kLooks[] = {
    // senemy1: half width 0.040..0.057, height 1.333 of it, depth by size
    {.texture = asset::Ship3Tex, .columns = 8, .frameCount = 40, .animRate = 0.038f,
     .shadowShift = 0.04f, .colour = 0xffffeecc, .topAnchored = true, .valueIndex = 0,
     .exploSize = 1.1f, .exploKind = 3, .exploSound = S::Game0Explo},
    // senemy2
    {.texture = asset::Ship3Tex, .columns = 8, .firstCell = 40, .frameCount = 24, .animRate = 0.07f,
     .halfWidth = 0.05f, .halfHeight = 0.05f, .depthKey = 2.581f, .steadyDepth = true,
     .vertexZ = 0.491f, .topAnchored = true, .valueIndex = 2, .exploSize = 0.9f, .exploKind = 0,
     .exploSound = S::Game1Explo},
    // senemy3: its own depth jitter
    {.texture = asset::StationTex, .columns = 4, .frameCount = 12, .animRate = 0.03f,
     .halfWidth = 0.062f, .halfHeight = 0.062f, .depthKey = 2.562f, .shadowShift = 0.04f,
     .vertexZ = 0.398f, .valueIndex = 3, .exploSize = 1.3f, .exploKind = 4,
     .exploSound = S::Game0Explo},
    // senemy4
    {.texture = asset::DlinniTex, .columns = 3, .frameCount = 9, .animRate = 0.04f,
     .halfWidth = 0.12f, .halfHeight = 0.03996f, .depthKey = 2.573f, .steadyDepth = true,
     .valueIndex = 4, .exploSize = 0.7f, .exploKind = 4, .exploSound = S::Game1Explo},
    // senemy5
    {.texture = asset::VertuhTex, .columns = 4, .frameCount = 16, .animRate = 0.05f,
     .halfWidth = 0.08f, .halfHeight = 0.0728f, .depthKey = 2.574f, .steadyDepth = true,
     .shadowShift = 0.02f, .valueIndex = 5, .exploSize = 0.9f, .exploKind = 3,
     .exploSound = S::Game1Explo},
    // senemy6
    {.texture = asset::JumperTex, .columns = 6, .frameCount = 24, .animRate = 0.055f,
     .halfWidth = 0.07f, .halfHeight = 0.07f, .depthKey = 2.571f, .shadowShift = 0.04f,
     .valueIndex = 6, .exploSize = 0.9f, .exploKind = 3, .exploSound = S::Game0Explo},
    // henemy1: flies at a random depth, random explosion size
    {.texture = asset::Ship1Tex, .columns = 8, .frameCount = 5, .animRate = 0.035f,
     .halfWidth = 0.076f, .halfHeight = 0.05016f, .shadowShift = 0.04f, .topAnchored = true,
     .valueIndex = 1, .exploKind = 3, .exploSound = S::Game0Explo},
    // henemy2: flies at a random depth, random explosion size
    {.texture = asset::FastTex, .columns = 4, .frameCount = 16, .animRate = 0.045f,
     .halfWidth = 0.05f, .halfHeight = 0.06f, .shadowShift = 0.02f, .valueIndex = 8,
     .exploKind = 3, .exploAtCentre = true, .exploSound = S::Game0Explo},
    // henemy3: flies at a random depth, random explosion size
    {.texture = asset::Ship0Tex, .columns = 4, .frameCount = 5, .animRate = 0.04f,
     .halfWidth = 0.09f, .halfHeight = 0.08f, .shadowShift = 0.02f, .valueIndex = 9,
     .exploKind = 3, .exploAtCentre = true, .exploSound = S::Game1Explo},
    // henemy4
    {.columns = 4, .shadowShift = 0.02f, .valueIndex = 10, .exploSize = 0.9f, .exploKind = 3,
     .exploSound = S::Game0Explo},
    // henemy5: explosion size from its shape
    {.texture = asset::KreiserTex, .columns = 4, .frameCount = 16, .animRate = 0.035f,
     .halfWidth = 0.087f, .halfHeight = 0.120843f, .depthKey = 2.572f, .steadyDepth = true,
     .shadowShift = 0.015f, .valueIndex = 11, .exploKind = 4, .exploSound = S::Game2Explo},
    // henemy6
    {.texture = asset::TankerTex, .columns = 4, .frameCount = 16, .animRate = 0.027f,
     .halfWidth = 0.093f, .halfHeight = 0.12927f, .depthKey = 2.579f, .steadyDepth = true,
     .shadowShift = 0.015f, .valueIndex = 12, .exploSound = S::Game2Explo},
    // ground guns: size from the level's wall
    {.texture = asset::CannonTex, .columns = assetgen::layout::kCannon.columns,
     .depthKey = 2.62f, .shadowShift = 0.05f, .vertexZ = 0.5f, .valueIndex = 7,
     .exploSize = 1.0f, .exploKind = 4, .exploSound = S::Game0Explo},
};
// clang-format on

static_assert(sizeof(kLooks) / sizeof(kLooks[0]) == static_cast<int>(EnemyClass::GroundGun) + 1);
}  // namespace

const EnemyLook& LookOf(EnemyClass c) { return kLooks[static_cast<int>(c)]; }

}  // namespace dw
