#pragma once
// SDL_mixer, opened at the first sound rather than linked: with its decoders
// and synthesiser it brings some forty libraries, and loading them at start-up
// would cost the window time to come up. Null when the library is missing.
#include <SDL.h>
#include <SDL_mixer.h>

#include <string>

namespace tumbol {

struct MixerLibrary {
  decltype(&SDL_InitSubSystem) InitSubSystem;
  decltype(&SDL_QuitSubSystem) QuitSubSystem;
  decltype(&SDL_SetHint) SetHint;
  decltype(&SDL_RWFromConstMem) RWFromConstMem;
  decltype(&Mix_Init) Init;
  decltype(&Mix_OpenAudio) OpenAudio;
  decltype(&Mix_QuerySpec) QuerySpec;
  decltype(&Mix_AllocateChannels) AllocateChannels;
  decltype(&Mix_SetSoundFonts) SetSoundFonts;
  decltype(&Mix_LoadWAV_RW) LoadWAV_RW;
  decltype(&Mix_QuickLoad_RAW) QuickLoad_RAW;
  decltype(&Mix_FreeChunk) FreeChunk;
  decltype(&Mix_PlayChannelTimed) PlayChannelTimed;
  decltype(&Mix_HaltChannel) HaltChannel;
  decltype(&Mix_ExpireChannel) ExpireChannel;
  decltype(&Mix_RegisterEffect) RegisterEffect;
  decltype(&Mix_UnregisterAllEffects) UnregisterAllEffects;
  decltype(&Mix_Playing) Playing;
  decltype(&Mix_LoadMUS_RW) LoadMUS_RW;
  decltype(&Mix_FreeMusic) FreeMusic;
  decltype(&Mix_PlayMusic) PlayMusic;
  decltype(&Mix_HaltMusic) HaltMusic;
  decltype(&Mix_VolumeMusic) VolumeMusic;
  decltype(&Mix_PlayingMusic) PlayingMusic;
  decltype(&Mix_HookMusicFinished) HookMusicFinished;

  // Both decode from bytes the game has read itself, through its bounded
  // reader; a music track reads its bytes while it plays, so they must outlive it.
  Mix_Chunk* LoadWAV(const std::string& bytes) const {
    SDL_RWops* rw = RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return rw ? LoadWAV_RW(rw, 1) : nullptr;
  }
  Mix_Music* LoadMUS(const std::string& bytes) const {
    SDL_RWops* rw = RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return rw ? LoadMUS_RW(rw, 1) : nullptr;
  }
};

// Loads the library and all its functions once; null when any is missing.
const MixerLibrary* Mixer();

}  // namespace tumbol
