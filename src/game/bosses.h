#pragma once
// The five end-of-level bosses and the objects they bring along: the orbiting
// balls of the carrier, the repair stations (with their light dots) of the
// gunship, the bomber's bombs and the fortress's looping figures. A boss and
// its children talk through context->bossLink.
#include "game/boss.h"
#include "game/boss0.h"
#include "game/boss1.h"
#include "game/boss2.h"
#include "game/boss3.h"
#include "game/boss4.h"
