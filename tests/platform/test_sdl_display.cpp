// SDL's video as the engine starts it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sdl/SdlDisplay.h"
#include "support/Env.h"

namespace {

TEST(SdlVideo, TheScreensaverAndPowerSavingStayAllowed) {
  // SDL keeps the desktop's screensaver from starting while it has a window,
  // unless told not to; a screensaver must never do that.
  std::string error;
  ASSERT_TRUE(qv::platform::StartVideo(error)) << error << " (these tests need an X display)";
  EXPECT_TRUE(SDL_IsScreenSaverEnabled());
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

TEST(SdlVideo, ADriverThatDrawsNowhereIsRefusedUnlessAskedFor) {
  const char* had = std::getenv("SDL_VIDEODRIVER");
  const std::string saved = had ? had : "";
  qvtest::SetEnv("SDL_VIDEODRIVER", "offscreen");
  std::string error;
  EXPECT_TRUE(qv::platform::StartVideo(error)) << error;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  if (had) qvtest::SetEnv("SDL_VIDEODRIVER", saved);
  else qvtest::UnsetEnv("SDL_VIDEODRIVER");
}

}  // namespace
