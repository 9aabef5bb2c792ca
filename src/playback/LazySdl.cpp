// The SDL2 functions the audio output calls, loaded with libSDL2 the first
// time a file is played (see LazyLibrary.h). Without the library, SDL's audio
// cannot start and SDL_GetError says why.
#include "playback/LazyLibrary.h"

#include <SDL.h>

namespace {

void *sdl()
{
    static void *const library = lazy_library::open("libSDL2-2.0.so.0");
    return library;
}

const char *missing()
{
    return "the SDL2 library (libSDL2-2.0.so.0) could not be loaded";
}

}  // namespace

BRINDLEWAVE_LAZY_FUNCTION(sdl(), SDL_bool, SDL_SetHint, (const char *name, const char *value), (name, value),
                          SDL_FALSE)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), SDL_bool, SDL_SetHintWithPriority,
                          (const char *name, const char *value, SDL_HintPriority priority),
                          (name, value, priority), SDL_FALSE)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), void, SDL_QuitSubSystem, (Uint32 flags), (flags), void())
BRINDLEWAVE_LAZY_FUNCTION(sdl(), Uint32, SDL_WasInit, (Uint32 flags), (flags), 0)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), const char *, SDL_GetError, (void), (), missing())
BRINDLEWAVE_LAZY_FUNCTION(sdl(), const char *, SDL_GetCurrentAudioDriver, (void), (), nullptr)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), SDL_AudioDeviceID, SDL_OpenAudioDevice,
                          (const char *device, int iscapture, const SDL_AudioSpec *desired,
                           SDL_AudioSpec *obtained, int allowed_changes),
                          (device, iscapture, desired, obtained, allowed_changes), 0)
BRINDLEWAVE_LAZY_FUNCTION(sdl(), void, SDL_PauseAudioDevice, (SDL_AudioDeviceID dev, int pause_on),
                          (dev, pause_on), void())
BRINDLEWAVE_LAZY_FUNCTION(sdl(), void, SDL_LockAudioDevice, (SDL_AudioDeviceID dev), (dev), void())
BRINDLEWAVE_LAZY_FUNCTION(sdl(), void, SDL_UnlockAudioDevice, (SDL_AudioDeviceID dev), (dev), void())
BRINDLEWAVE_LAZY_FUNCTION(sdl(), void, SDL_CloseAudioDevice, (SDL_AudioDeviceID dev), (dev), void())
