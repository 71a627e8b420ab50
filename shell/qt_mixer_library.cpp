#include "shell/qt_mixer_library.h"

#include <dlfcn.h>

namespace tumbol {
namespace {

template <typename F>
bool Bind(void* library, const char* name, F& slot) {
  slot = reinterpret_cast<F>(dlsym(library, name));
  return slot != nullptr;
}

}  // namespace

const MixerLibrary* Mixer() {
  static const MixerLibrary* loaded = []() -> const MixerLibrary* {
    void* library = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static MixerLibrary m;
    // SDL's own functions are found through the mixer, which depends on SDL.
    const bool ok = Bind(library, "SDL_InitSubSystem", m.InitSubSystem) &&
                    Bind(library, "SDL_QuitSubSystem", m.QuitSubSystem) &&
                    Bind(library, "SDL_SetHint", m.SetHint) &&
                    Bind(library, "SDL_RWFromConstMem", m.RWFromConstMem) && Bind(library, "Mix_Init", m.Init) &&
                    Bind(library, "Mix_OpenAudio", m.OpenAudio) && Bind(library, "Mix_QuerySpec", m.QuerySpec) &&
                    Bind(library, "Mix_AllocateChannels", m.AllocateChannels) &&
                    Bind(library, "Mix_SetSoundFonts", m.SetSoundFonts) &&
                    Bind(library, "Mix_LoadWAV_RW", m.LoadWAV_RW) &&
                    Bind(library, "Mix_QuickLoad_RAW", m.QuickLoad_RAW) &&
                    Bind(library, "Mix_FreeChunk", m.FreeChunk) &&
                    Bind(library, "Mix_PlayChannelTimed", m.PlayChannelTimed) &&
                    Bind(library, "Mix_HaltChannel", m.HaltChannel) && Bind(library, "Mix_Playing", m.Playing) &&
                    Bind(library, "Mix_ExpireChannel", m.ExpireChannel) &&
                    Bind(library, "Mix_RegisterEffect", m.RegisterEffect) &&
                    Bind(library, "Mix_UnregisterAllEffects", m.UnregisterAllEffects) &&
                    Bind(library, "Mix_VolumeMusic", m.VolumeMusic) &&
                    Bind(library, "Mix_LoadMUS_RW", m.LoadMUS_RW) && Bind(library, "Mix_FreeMusic", m.FreeMusic) &&
                    Bind(library, "Mix_PlayMusic", m.PlayMusic) && Bind(library, "Mix_HaltMusic", m.HaltMusic) &&
                    Bind(library, "Mix_PlayingMusic", m.PlayingMusic) &&
                    Bind(library, "Mix_HookMusicFinished", m.HookMusicFinished);
    return ok ? &m : nullptr;
  }();
  return loaded;
}

}  // namespace tumbol
