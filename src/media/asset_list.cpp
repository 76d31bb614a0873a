#include "media/asset_list.h"

#include "core/game_context.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "assets/textures.h"

namespace dw {

using K = AssetListEntry::Kind;

const AssetListEntry kStartupAssets[] = {
    {asset::ShadowMap, K::Texture, 5},  {asset::SymbolMap, K::Texture, 5},  {asset::SymbolMid, K::Texture, 5},
    {asset::SymbolMin, K::Texture, 5},  {asset::BoardTex, K::Texture, 2},   {asset::ExploTex, K::Texture, 2},
    {asset::FoneTex, K::Texture, 2},    {asset::MenuTex, K::Texture, 2},    {asset::ShotTex, K::Texture, 2},
    {asset::StarWTex, K::Texture, 2},   {asset::BulletCTex, K::Texture, 2}, {asset::Ship1Tex, K::Texture, 2},
    {asset::Ship0Tex, K::Texture, 2},   {asset::Ship3Tex, K::Texture, 2},   {asset::GroundTex, K::Texture, 2},
    {asset::StationTex, K::Texture, 2}, {asset::CannonTex, K::Texture, 2},  {asset::CtHeadTex, K::Texture, 2},
    {asset::CtLongTex, K::Texture, 2},  {asset::CtShortTex, K::Texture, 2}, {asset::CtEngiTex, K::Texture, 2},
    {asset::DlinniTex, K::Texture, 2},  {asset::FastTex, K::Texture, 2},    {asset::JumperTex, K::Texture, 2},
    {asset::KreiserTex, K::Texture, 2}, {asset::TankerTex, K::Texture, 2},  {asset::VertuhTex, K::Texture, 2},
    {asset::Help0Tex, K::Texture, 2},   {asset::Help5Tex, K::Texture, 2},   {asset::Help2Tex, K::Texture, 2},
    {asset::Help3Tex, K::Texture, 2},   {asset::Help4Tex, K::Texture, 2},   {asset::Help6Tex, K::Texture, 2},
    {asset::Help7Tex, K::Texture, 2},   {asset::BigBoss0, K::Texture, 2},   {asset::BigBoss1, K::Texture, 2},
    {asset::BigBoss2, K::Texture, 2},   {asset::BigBoss3, K::Texture, 2},   {asset::BigBoss4, K::Texture, 2},
    {asset::MenuSelect, K::Sound, 0},   {asset::MenuPress, K::Sound, 0},    {asset::MenuError, K::Sound, 0},
    {asset::MenuLoser, K::Sound, 0},    {asset::MenuWiner, K::Sound, 0},    {asset::MenuPlane, K::Sound, 0},
    {asset::GameDamage, K::Sound, 0},   {asset::Game0Laser, K::Sound, 0},   {asset::Game1Laser, K::Sound, 0},
    {asset::Game2Laser, K::Sound, 0},   {asset::Game3Laser, K::Sound, 0},   {asset::Game0Plasm, K::Sound, 0},
    {asset::Game1Plasm, K::Sound, 0},   {asset::GameRocket, K::Sound, 0},   {asset::GameDiamon, K::Sound, 0},
    {asset::GameRubins, K::Sound, 0},   {asset::GameTopaze, K::Sound, 0},   {asset::GameIzumru, K::Sound, 0},
    {asset::GameEnergy, K::Sound, 0},   {asset::GamePlasma, K::Sound, 0},   {asset::GameEndwep, K::Sound, 0},
    {asset::GameGetroc, K::Sound, 0},   {asset::Game0Death, K::Sound, 0},   {asset::GameShield, K::Sound, 0},
    {asset::Game0Enemy, K::Sound, 0},   {asset::Game1Enemy, K::Sound, 0},   {asset::Game2Enemy, K::Sound, 0},
    {asset::Game3Enemy, K::Sound, 0},   {asset::Game4Enemy, K::Sound, 0},   {asset::GameComple, K::Sound, 0},
    {asset::GameGameov, K::Sound, 0},   {asset::Game0Explo, K::Sound, 0},   {asset::Game1Explo, K::Sound, 0},
    {asset::Game2Explo, K::Sound, 0},
};
const std::uint32_t kStartupAssetCount = sizeof kStartupAssets / sizeof kStartupAssets[0];
static_assert(sizeof kStartupAssets / sizeof kStartupAssets[0] == 73);

void RunAssetList(GameContext* ctx, AssetLoader& loader) {
    loader.passIndex = 0;
    for (std::uint32_t i = 0; i < kStartupAssetCount; ++i, ++loader.passIndex) {
        const AssetListEntry& e = kStartupAssets[i];
        if (loader.counting) {
            ++loader.total;
            continue;
        }
        if (loader.passIndex != loader.cursor) continue;
        if (e.kind == K::Texture) {
            LoadTexture(ctx, e.name, 0xFF000000u, false, e.mipLevels);
        } else {
            std::int32_t handle = 0;
            LoadSample(ctx, e.name, handle);
        }
    }
    OpenMusicStream(ctx, asset::Theme0, ctx->musicStream);
}

}  // namespace dw
