// render.h -- everything the rest of the game uses of the renderer
#pragma once

#include "render/clock.h"
#include "render/font.h"
#include "render/gems.h"
#include "render/scene.h"
#include "render/screens.h"
#include "render/view.h"
#include "render/words.h"
