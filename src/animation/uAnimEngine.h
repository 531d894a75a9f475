// The animation engine: turns a bound animated picture into frames. Inside the
// water areas of its mask the pixels move with travelling cosine waves (with
// per-column jitter, perspective and reflection); the objects are drawn over
// that, then snow or rain. The engine takes the time it is given and never
// waits: pacing belongs to the loop that calls it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "animation/uAnimObjects.h"
#include "animation/uProject.h"
#include "animation/uWeather.h"
#include "graphics/Bitmap32.h"

namespace qv {

class TAnimEngine {
 public:
  // The objects of a started picture move on `environment`'s workers by its
  // clock; without a clock and workers a picture plays without its objects.
  explicit TAnimEngine(TAnimEnvironment environment = {});
  ~TAnimEngine();
  TAnimEngine(const TAnimEngine&) = delete;
  TAnimEngine& operator=(const TAnimEngine&) = delete;

  // Takes the project's picture, mask, four areas, speed percent and object
  // descriptions; nothing is owned. Start must follow before Frame draws
  // anything.
  void Bind(TProject& project);
  // Lets go of the project (before it is loaded again): its objects end,
  // Frame and Reset do nothing until the next Bind and Start; Output keeps
  // the last frame.
  void Unbind();
  // The objects end (their workers with them); the frames go on without.
  void StopObjects();
  // Discards any snow or rain; when on, a project with weather Kind 1 gets
  // snow, Kind 2 rain, with the weather Count (at most 1000), seeded once.
  void SetWeather(bool on);
  // Prepares every per-picture state at the time `now` and brings the
  // described objects to life; afterwards the frame buffer holds the picture.
  void Start(uint32_t now);
  // One frame at the time `now`: the waves, then the objects and weather.
  void Frame(uint32_t now);
  // The composed frame when there is weather or an object, else the frame
  // buffer.
  const TBitmap32& Output() const;
  // The picture again, undistorted, until the next Frame.
  void Reset();

  // Resizes a bound-to-be project to a display size: with keepAspect the
  // picture keeps its shape within the target. Amplitude and Jitter scale
  // along, the picture is resized bilinearly, the mask by nearest pixel so it
  // keeps its five values. The stored unfitted size stays.
  static void FitProject(bool keepAspect, TProject& project, int targetWidth, int targetHeight);

  // What the engine holds, for the tests and tools.
  const TBitmap32& FrameBuffer() const { return frame_; }
  const TBitmap32& ReflectionPicture() const { return reflection_; }
  // The area index 0..3 of a pixel, or -1.
  int AreaAt(int x, int y) const;
  int FirstRow(int area) const { return firstRow_[static_cast<size_t>(area)]; }
  int LastRow(int area) const { return lastRow_[static_cast<size_t>(area)]; }
  int64_t Phase(int area) const { return phase_[static_cast<size_t>(area)]; }
  bool WeatherOn() const { return snow_ || rain_; }
  // The objects at play since Start; null before it and after they stop.
  TAnimObjects* Objects() { return objects_.get(); }
  const TSnow* Snow() const { return snow_.get(); }
  const TRain* Rain() const { return rain_.get(); }

 private:
  // A stretch of one row inside one area.
  struct TRun {
    int32_t x0, x1;
    int16_t area;
  };

  void BuildReflection();
  void BuildAreaMap();
  void FillJitter();
  void MoveWater(uint32_t elapsed);
  // The water's pixels of rows [first, last), by the offsets in waveRows_.
  void MoveWaterRows(const std::array<bool, kAreaCount>& moves, int first, int last);
  void DrawOverlay(uint32_t elapsed);
  bool Composed() const;
  void ShowFrameBuffer();
  // The environment's bands, or the calling thread alone.
  IBands& Bands();

  TProject* project_ = nullptr;
  bool started_ = false;
  int width_ = 0, height_ = 0;
  TBitmap32 frame_, composed_, reflection_;
  bool reflect_ = false;
  bool hasObjects_ = false;
  std::vector<int16_t> areaMap_;
  // The runs of row y are runs_[rowStart_[y]] .. runs_[rowStart_[y + 1] - 1].
  std::vector<TRun> runs_;
  std::vector<uint32_t> rowStart_;
  std::array<int32_t, kAreaCount> firstRow_{}, lastRow_{};
  std::array<std::vector<int32_t>, kAreaCount> jitter_;
  std::array<bool, kAreaCount> jittered_{};  // any jitter row entry above 0
  std::array<int32_t, kAreaCount> maxJitter_{};
  std::array<int64_t, kAreaCount> phase_{};
  // One frame's wave offsets, per row and area.
  struct TWaveRow {
    int64_t V = 0, H = 0;
  };
  std::vector<std::array<TWaveRow, kAreaCount>> waveRows_;
  TOneBand oneBand_;
  uint32_t lastTick_ = 0;
  std::unique_ptr<TSnow> snow_;
  std::unique_ptr<TRain> rain_;
  TAnimEnvironment environment_;
  // Last, so the objects' workers end before anything they draw onto goes.
  std::unique_ptr<TAnimObjects> objects_;
};

}  // namespace qv
