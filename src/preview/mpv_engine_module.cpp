#include "preview/mpv_player.h"

// The one entry point of the engine module; the program resolves it when the player opens.
extern "C" Q_DECL_EXPORT PlaybackEngine *lanshanCreateMpvEngine()
{
    return new MpvPlayer();
}
