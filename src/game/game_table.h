#pragma once
// "matrix": the in-game controller. Once per frame it runs the flow of a
// game (new game, level intro, play, level end, next level, game over,
// closing picture), brings in the player's ships, scrolls and spawns the
// level script, decides every hit, plays requested sounds and fades the music.
#include <cstdint>
#include <memory>

#include "core/draw_entry.h"
#include "core/states.h"
#include "engine/my_object.h"
#include "platform/d3d_types.h"

namespace dw {

class CD3DFile_Mesh;
class ObjectFactory;

class GameTable : public MyObject {
public:
    explicit GameTable(GameContext* ctx);
    ~GameTable() override;

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t InvalidateDeviceObjects() override;
    std::int32_t RestoreDeviceObjects() override;
    std::int32_t DeleteDeviceObjects() override;

    // Another maker of ships, enemies and ground (tests).
    void SetFactory(ObjectFactory* factory);

    std::uint32_t introTimer = 0;
    std::uint8_t musicEnabled = 0;
    std::uint8_t introSoundPlayed = 0;
    std::uint32_t musicTheme = 0;
    float musicLevel = 0;
    std::uint8_t endPending = 0;
    std::uint32_t endRow = 0;
    std::uint8_t gameOverPending = 0;
    std::uint32_t gameOverRow = 0;
    std::uint32_t currentRow = 0;
    std::uint32_t groundRow = 0;
    std::uint32_t phaseTimer = 0;
    std::uint32_t escapeLatch = 0;
    D3DLIGHT8 lights[2] = {};

private:
    void MusicService();
    void WaitForMusic();
    void TakeMusicRequest();
    void FadeMusic(float ft, float v);
    void NewGame();
    void LevelStart();
    void TakeArsenalRequest();
    // The browser test's end of a game with a given score.
    void TakeEndGameRequest();
    void Ships();
    void Phases();
    void LevelEnd();
    void SoundRequests();
    // Adds ft to phaseTimer; true (timer cleared) once it passes the limit.
    bool PhaseTimeUp(std::uint32_t limit);
    void ShowCaption(CaptionMode mode, std::uint32_t number);
    void SetMusicVolumes(std::int32_t level);

    std::unique_ptr<CD3DFile_Mesh> mesh_;
    ObjectFactory* factory_;
    ScreenVertex symbols_[162] = {};
};

}  // namespace dw
