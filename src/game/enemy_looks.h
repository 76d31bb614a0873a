#pragma once
// The table of enemy classes: how each one looks and ends.
#include "game/enemy.h"

namespace dw {

enum class EnemyClass {
    SmallFighter,  // senemy1
    Drone,         // senemy2
    Station,       // senemy3
    Weaver,        // senemy4
    Looper,        // senemy5
    Jumper,        // senemy6
    HeavyFighter,  // henemy1
    Interceptor,   // henemy2
    Gunship,       // henemy3
    Segment,       // henemy4 (its part sets the sheet and size)
    Cruiser,       // henemy5
    Tanker,        // henemy6
    GroundGun,     // the guns on the ground wall
};

const EnemyLook& LookOf(EnemyClass c);

}  // namespace dw
