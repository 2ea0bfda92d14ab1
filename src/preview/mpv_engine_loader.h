#pragma once

#include "preview/playback_engine.h"

#include <QStringList>

#include <memory>

// libmpv and the two hundred libraries it pulls in load when the player first opens, not at
// start-up: the engine lives in a module of its own. A module that cannot be loaded gives an
// engine that is not ready and says why, so the player shows the reason instead of crashing.
std::unique_ptr<PlaybackEngine> loadMpvEngine(const QStringList &modulePaths);

// Where an install puts it as seen from the program (so any prefix works), then beside the
// program (a build tree).
std::unique_ptr<PlaybackEngine> loadMpvEngine();
