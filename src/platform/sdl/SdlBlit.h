// Copies a bitmap onto a window's surface and shows it.
#pragma once
#include <SDL.h>

#include "graphics/Bitmap32.h"

namespace qv::platform {

inline void PresentOnWindowSurface(SDL_Window* window, const TBitmap32& bitmap) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target || bitmap.Empty()) return;
  // Pixels are bytes blue, green, red, alpha: SDL's ARGB8888 on a
  // little-endian machine.
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
