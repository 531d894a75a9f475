#include "platform/sdl/SdlAudio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(__linux__)
#include <dlfcn.h>
#endif

#include "common/Limits.h"
#include "common/Utf8Path.h"
#include "platform/Files.h"

namespace qv::platform {

namespace {

// Mix_HookMusicFinished takes a plain function without user data, so the
// event type it posts has to be reachable from a static. It is registered
// once, on the UI thread, before the hook is installed.
Uint32 MusicFinishedEvent() {
  static const Uint32 type = SDL_RegisterEvents(1);
  return type;
}

// Runs on SDL's audio thread (or inside Mix_HaltMusic): only posts an event.
void SDLCALL OnMusicFinished() {
  SDL_Event event;
  SDL_zero(event);
  event.type = MusicFinishedEvent();
  SDL_PushEvent(&event);
}

bool Exists(const char* path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(path), ec);
}

// FluidSynth needs a General MIDI soundfont. SDL_mixer looks only at
// $SDL_SOUNDFONTS and FluidR3_GM.sf2; Debian's other GM packages install
// under other names.
void ChooseSoundFont() {
  if (std::getenv("SDL_SOUNDFONTS")) return;
  const char* current = Mix_GetSoundFonts();
  if (current && Exists(current)) return;
  for (const char* candidate :
       {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2"}) {
    if (Exists(candidate)) {
      Mix_SetSoundFonts(candidate);
      return;
    }
  }
}

constexpr Uint32 kSubsystems = SDL_INIT_AUDIO | SDL_INIT_EVENTS;

// The decoder a file's name asks for; the mixer looks at the bytes for the rest.
Mix_MusicType MusicTypeOf(const std::string& path) {
  std::string ext = Utf8FromPath(PathFromUtf8(path).extension());
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".mid" || ext == ".midi" || ext == ".rmi") return MUS_MID;
  if (ext == ".mp3") return MUS_MP3;
  if (ext == ".ogg") return MUS_OGG;
  if (ext == ".flac") return MUS_FLAC;
  if (ext == ".wav") return MUS_WAV;
  return MUS_NONE;
}

#if defined(__linux__)
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes its complaints (no sound card, no "default" device) straight
// to stderr each time a device is tried. They say nothing a user can act on,
// so they stay quiet unless QV_AUDIO_DEBUG is set. SDL loads the same
// library later and finds it with the handler in place.
void QuietAlsa() {
  static bool done = false;
  if (done || std::getenv("QV_AUDIO_DEBUG")) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
  if (!alsa) return;
  using THandler = void (*)(const char*, int, const char*, int, const char*, ...);
  using TSetHandler = int (*)(THandler);
  if (auto set = reinterpret_cast<TSetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&SilentAlsaError);
}
#else
void QuietAlsa() {}
#endif

}  // namespace

// Music.

bool TSdlMusicPlayer::Open(const std::string& path) {
  Close();
  if (!audio_.MixerOpen()) return false;
  // Only a regular file within the cap is handed to the mixer, checked on
  // the opened file itself: a device, a FIFO or an endless file named by a
  // project would otherwise be read without end.
  TFile file;
  std::string reason;
  if (OpenRegularFile(path, kMaxMusicFileBytes, file, reason) != TOpenResult::Ok) return false;
  std::FILE* stream = file.ReleaseToStream();
  if (!stream) return false;
  SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
  if (!source) {
    std::fclose(stream);
    return false;
  }
  music_ = Mix_LoadMUSType_RW(source, MusicTypeOf(path), 1);
  return music_ != nullptr;
}

bool TSdlMusicPlayer::Play() {
  if (!music_) return false;
  started_ = Mix_PlayMusic(music_, 0) == 0;
  return started_;
}

void TSdlMusicPlayer::Close() {
  if (!music_) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
  started_ = false;
}

bool TSdlMusicPlayer::AtEnd() const { return music_ && started_ && !Mix_PlayingMusic(); }

// Sound players.

TSdlSoundPlayers::~TSdlSoundPlayers() {
  Close();
  StopSimple();
}

bool TSdlSoundPlayers::Open() {
  if (open_) return true;
  if (!audio_.MixerOpen() || Mix_AllocateChannels(kPlayers) < kPlayers) return false;
  open_ = true;
  return true;
}

int TSdlSoundPlayers::Rate() const { return audio_.Rate(); }
int TSdlSoundPlayers::Channels() const { return audio_.Channels(); }

void TSdlSoundPlayers::Load(int slot, std::vector<int16_t> samples) {
  if (!Valid(slot)) return;
  const size_t i = static_cast<size_t>(slot);
  Mix_HaltChannel(slot);
  if (chunks_[i]) Mix_FreeChunk(chunks_[i]);
  chunks_[i] = nullptr;
  // A quick-loaded chunk points into our buffer, which lives until the
  // chunk is freed.
  buffers_[i] = std::move(samples);
  if (!buffers_[i].empty())
    chunks_[i] = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(buffers_[i].data()),
                                   static_cast<Uint32>(buffers_[i].size() * sizeof(int16_t)));
}

void TSdlSoundPlayers::Play(int slot, bool loop) {
  if (!Valid(slot) || !chunks_[slot]) return;
  // The mixer would start a playing channel again from the beginning.
  if (Mix_Playing(slot)) return;
  Mix_PlayChannel(slot, chunks_[slot], loop ? -1 : 0);
}

void TSdlSoundPlayers::Stop(int slot) {
  if (Valid(slot)) Mix_HaltChannel(slot);
}

void TSdlSoundPlayers::SetVolume(int slot, int hundredthsOfDb) {
  if (Valid(slot)) Mix_Volume(slot, MixerVolume(hundredthsOfDb));
}

void TSdlSoundPlayers::StopAll() {
  if (open_) Mix_HaltChannel(-1);
}

void TSdlSoundPlayers::Close() {
  if (!open_) return;
  Mix_HaltChannel(-1);
  for (int i = 0; i < kPlayers; ++i) {
    if (chunks_[i]) Mix_FreeChunk(chunks_[i]);
    chunks_[i] = nullptr;
    buffers_[i].clear();
  }
  open_ = false;
}

void SDLCALL TSdlSoundPlayers::FillSimple(void* userdata, Uint8* stream, int length) {
  auto& voice = *static_cast<TSimpleVoice*>(userdata);
  auto* out = reinterpret_cast<int16_t*>(stream);
  size_t wanted = static_cast<size_t>(length) / sizeof(int16_t);
  while (wanted > 0 && !voice.samples.empty()) {
    if (voice.at >= voice.samples.size()) {
      if (!voice.loop) break;
      voice.at = 0;
    }
    const size_t n = std::min(wanted, voice.samples.size() - voice.at);
    std::memcpy(out, voice.samples.data() + voice.at, n * sizeof(int16_t));
    voice.at += n;
    out += n;
    wanted -= n;
  }
  std::memset(out, 0, wanted * sizeof(int16_t));
}

void TSdlSoundPlayers::PlaySimple(const TPcmSound& sound, bool loop) {
  StopSimple();
  if (!audio_.DeviceOpen() || sound.samples.empty() || sound.channels < 1) return;
  simple_.samples = sound.samples;
  simple_.at = 0;
  simple_.loop = loop;
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = sound.rate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(sound.channels);
  want.samples = 2048;
  want.callback = &TSdlSoundPlayers::FillSimple;
  want.userdata = &simple_;
  simpleDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (simpleDevice_ != 0) SDL_PauseAudioDevice(simpleDevice_, 0);
}

void TSdlSoundPlayers::StopSimple() {
  if (simpleDevice_ != 0) SDL_CloseAudioDevice(simpleDevice_);
  simpleDevice_ = 0;
  simple_ = {};
}

// The device.

TSdlAudio::TSdlAudio(bool useMixer) : useMixer_(useMixer), music_(*this), sounds_(*this) {}

TSdlAudio::~TSdlAudio() { Close(); }

bool TSdlAudio::Open() {
  if (subsystemOpen_) return mixerOpen_;
  QuietAlsa();
  if (SDL_InitSubSystem(kSubsystems) != 0) return false;
  subsystemOpen_ = true;
  if (!useMixer_ || MusicFinishedEvent() == static_cast<Uint32>(-1)) return false;
  ChooseSoundFont();
  Mix_Init(MIX_INIT_FLAC | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MID);
  // No allowed changes: SDL converts to the device, and the sounds we load
  // are exactly 44100 Hz 16-bit stereo.
  if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 2048, nullptr, 0) != 0) {
    Mix_Quit();
    return false;
  }
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) && rate > 0 && channels > 0) {
    rate_ = rate;
    channels_ = channels;
  }
  mixerOpen_ = true;
  Mix_HookMusicFinished(&OnMusicFinished);
  return true;
}

void TSdlAudio::Close() {
  sounds_.Close();
  sounds_.StopSimple();
  if (mixerOpen_) {
    Mix_HookMusicFinished(nullptr);
    music_.Close();
    Mix_CloseAudio();
    Mix_Quit();
    mixerOpen_ = false;
  }
  if (subsystemOpen_) {
    SDL_FlushEvent(MusicFinishedEvent());
    SDL_QuitSubSystem(kSubsystems);
    subsystemOpen_ = false;
  }
}

bool TSdlAudio::HandleEvent(const SDL_Event& event) {
  if (!subsystemOpen_ || event.type != MusicFinishedEvent()) return false;
  music_.Finished();
  return true;
}

}  // namespace qv::platform
