// Copies a bitmap onto a window's surface and shows it.
#pragma once
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "graphics/Bitmap32.h"

namespace qv::platform {

inline void PresentOnWindowSurface(SDL_Window* window, const TBitmap32& bitmap) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target || bitmap.Empty()) return;
  // Pixels are bytes blue, green, red, alpha: SDL's ARGB8888 on a
  // little-endian machine. A window of those bytes (the usual 24-bit X
  // visual is RGB888, the same with the fourth byte unused) takes the rows as
  // they are; SDL's own blit between the two formats goes pixel by pixel.
  const Uint32 format = target->format->format;
  if ((format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888) && SDL_LockSurface(target) == 0) {
    const int w = std::min(bitmap.Width(), target->w), h = std::min(bitmap.Height(), target->h);
    for (int y = 0; y < h; ++y)
      std::memcpy(static_cast<uint8_t*>(target->pixels) + static_cast<size_t>(y) * target->pitch, bitmap.Row(y),
                  static_cast<size_t>(w) * 4);
    SDL_UnlockSurface(target);
    SDL_UpdateWindowSurface(window);
    return;
  }
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(bitmap.Bits()), bitmap.Width(),
                                                           bitmap.Height(), 32, bitmap.Width() * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
  if (!source) return;
  SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(window);
}

}  // namespace qv::platform
