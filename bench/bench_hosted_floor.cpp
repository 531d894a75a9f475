// The floor of the hosted start-up measure: a bare SDL program that adopts
// the window in XSCREENSAVER_WINDOW, presents one black frame and waits to
// be stopped. Run by bench_hosted_startup.
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

int main() {
  const char* id = std::getenv("XSCREENSAVER_WINDOW");
  // SIGTERM keeps its default: it ends the program wherever it arrives.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (!id || SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window =
      SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(std::strtoull(id, nullptr, 0))));
  if (!window) return 1;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return 1;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_UpdateWindowSurface(window);
  ::pause();  // until SIGTERM ends it
  return 0;
}
