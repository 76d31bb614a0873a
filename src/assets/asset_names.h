#pragma once
// Every asset the game reads from "gamedata.res" has exactly one name constant
// here. The caches key their entries by the name's text, so a name built at
// run time finds what the constant loaded.
#include <cstddef>

namespace asset {

// The no-texture name: an entry with this texture draws untextured.
inline constexpr char NoTexture[] = "";

// Textures
inline constexpr char ShadowMap[] = "ShadowMap";
inline constexpr char SymbolMap[] = "SymbolMap";
inline constexpr char SymbolMid[] = "SymbolMid";
inline constexpr char SymbolMin[] = "SymbolMin";
inline constexpr char BoardTex[] = "BoardTex";
inline constexpr char ExploTex[] = "ExploTex";
inline constexpr char FoneTex[] = "FoneTex";
inline constexpr char MenuTex[] = "MenuTex";
inline constexpr char ShotTex[] = "ShotTex";
inline constexpr char StarWTex[] = "StarWTex";
inline constexpr char BulletCTex[] = "BulletCTex";
inline constexpr char Ship1Tex[] = "Ship1Tex";
inline constexpr char Ship0Tex[] = "Ship0Tex";
inline constexpr char Ship3Tex[] = "Ship3Tex";
inline constexpr char GroundTex[] = "GroundTex";
inline constexpr char StationTex[] = "StationTex";
inline constexpr char CannonTex[] = "CannonTex";
inline constexpr char CtHeadTex[] = "CtHeadTex";
inline constexpr char CtLongTex[] = "CtLongTex";
inline constexpr char CtShortTex[] = "CtShortTex";
inline constexpr char CtEngiTex[] = "CtEngiTex";
inline constexpr char DlinniTex[] = "DlinniTex";
inline constexpr char FastTex[] = "FastTex";
inline constexpr char JumperTex[] = "JumperTex";
inline constexpr char KreiserTex[] = "KreiserTex";
inline constexpr char TankerTex[] = "TankerTex";
inline constexpr char VertuhTex[] = "VertuhTex";
inline constexpr char Help0Tex[] = "Help0Tex";
inline constexpr char Help5Tex[] = "Help5Tex";
inline constexpr char Help2Tex[] = "Help2Tex";
inline constexpr char Help3Tex[] = "Help3Tex";
inline constexpr char Help4Tex[] = "Help4Tex";
inline constexpr char Help6Tex[] = "Help6Tex";
inline constexpr char Help7Tex[] = "Help7Tex";
inline constexpr char BigBoss0[] = "BigBoss0";
inline constexpr char BigBoss1[] = "BigBoss1";
inline constexpr char BigBoss2[] = "BigBoss2";
inline constexpr char BigBoss3[] = "BigBoss3";
inline constexpr char BigBoss4[] = "BigBoss4";
inline constexpr char IntroMap[] = "IntroMap";
inline constexpr char LoadMap[] = "LoadMap";
inline constexpr char IntroMap2[] = "IntroMap2";

// Samples
inline constexpr char MenuSelect[] = "MenuSelect";
inline constexpr char MenuPress[] = "MenuPress";
inline constexpr char MenuError[] = "MenuError";
inline constexpr char MenuLoser[] = "MenuLoser";
inline constexpr char MenuWiner[] = "MenuWiner";
inline constexpr char MenuPlane[] = "MenuPlane";
inline constexpr char GameDamage[] = "GameDamage";
inline constexpr char Game0Laser[] = "Game0Laser";
inline constexpr char Game1Laser[] = "Game1Laser";
inline constexpr char Game2Laser[] = "Game2Laser";
inline constexpr char Game3Laser[] = "Game3Laser";
inline constexpr char Game0Plasm[] = "Game0Plasm";
inline constexpr char Game1Plasm[] = "Game1Plasm";
inline constexpr char GameRocket[] = "GameRocket";
inline constexpr char GameDiamon[] = "GameDiamon";
inline constexpr char GameRubins[] = "GameRubins";
inline constexpr char GameTopaze[] = "GameTopaze";
inline constexpr char GameIzumru[] = "GameIzumru";
inline constexpr char GameEnergy[] = "GameEnergy";
inline constexpr char GamePlasma[] = "GamePlasma";
inline constexpr char GameEndwep[] = "GameEndwep";
inline constexpr char GameGetroc[] = "GameGetroc";
inline constexpr char Game0Death[] = "Game0Death";
inline constexpr char GameShield[] = "GameShield";
inline constexpr char Game0Enemy[] = "Game0Enemy";
inline constexpr char Game1Enemy[] = "Game1Enemy";
inline constexpr char Game2Enemy[] = "Game2Enemy";
inline constexpr char Game3Enemy[] = "Game3Enemy";
inline constexpr char Game4Enemy[] = "Game4Enemy";
inline constexpr char GameComple[] = "GameComple";
inline constexpr char GameGameov[] = "GameGameov";
inline constexpr char Game0Explo[] = "Game0Explo";
inline constexpr char Game1Explo[] = "Game1Explo";
inline constexpr char Game2Explo[] = "Game2Explo";
inline constexpr char GameHealth[] = "GameHealth";
inline constexpr char IntroTrack[] = "IntroTrack";
inline constexpr char IntroTrackB[] = "IntroTrackB";
inline constexpr char IntroTrackE[] = "IntroTrackE";

// Music streams
inline constexpr char Theme0[] = "Theme0";
inline constexpr char Theme1[] = "Theme1";

// Meshes
inline constexpr char GameTable[] = "GameTable";

// The window's icon (64 x 64 PNG, the desktop icon's picture). Read by the
// runner, not by the game, so it is in none of the lists below.
inline constexpr char WindowIcon[] = "WindowIcon";

// Every name, by kind (asset tests and tools walk these).
inline constexpr const char* kAllTextures[] = {
    ShadowMap, SymbolMap,  SymbolMid, SymbolMin, BoardTex, ExploTex,  FoneTex,    MenuTex,   ShotTex,
    StarWTex,  BulletCTex, Ship1Tex,  Ship0Tex,  Ship3Tex, GroundTex, StationTex, CannonTex, CtHeadTex,
    CtLongTex, CtShortTex, CtEngiTex, DlinniTex, FastTex,  JumperTex, KreiserTex, TankerTex, VertuhTex,
    Help0Tex,  Help5Tex,   Help2Tex,  Help3Tex,  Help4Tex, Help6Tex,  Help7Tex,   BigBoss0,  BigBoss1,
    BigBoss2,  BigBoss3,   BigBoss4,  IntroMap,  LoadMap,  IntroMap2,
};
inline constexpr const char* kAllSamples[] = {
    MenuSelect, MenuPress,  MenuError,  MenuLoser,  MenuWiner,   MenuPlane,   GameDamage, Game0Laser,
    Game1Laser, Game2Laser, Game3Laser, Game0Plasm, Game1Plasm,  GameRocket,  GameDiamon, GameRubins,
    GameTopaze, GameIzumru, GameEnergy, GamePlasma, GameEndwep,  GameGetroc,  Game0Death, GameShield,
    Game0Enemy, Game1Enemy, Game2Enemy, Game3Enemy, Game4Enemy,  GameComple,  GameGameov, Game0Explo,
    Game1Explo, Game2Explo, GameHealth, IntroTrack, IntroTrackB, IntroTrackE,
};
inline constexpr const char* kAllStreams[] = {
    Theme0,
    Theme1,
};
inline constexpr const char* kAllMeshes[] = {
    GameTable,
};

}  // namespace asset
