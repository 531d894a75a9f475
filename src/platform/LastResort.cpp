#include "platform/LastResort.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace qv::platform {

namespace {

// The process's one list: the end it serves is the process's own.
struct TRegistry {
  std::mutex lock;
  unsigned next = 0;
  std::vector<std::pair<unsigned, std::function<void()>>> tidyUps;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

TLastResort::TLastResort(std::function<void()> tidyUp) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  id_ = ++r.next;
  r.tidyUps.emplace_back(id_, std::move(tidyUp));
}

TLastResort::~TLastResort() {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  std::erase_if(r.tidyUps, [this](const auto& entry) { return entry.first == id_; });
}

void EndAtOnce(const std::string& why, int exitCode) {
  std::fprintf(stderr, "%s\n", why.c_str());
  std::fflush(stderr);
  std::vector<std::pair<unsigned, std::function<void()>>> tidyUps;
  {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    tidyUps.swap(r.tidyUps);
  }
  for (auto it = tidyUps.rbegin(); it != tidyUps.rend(); ++it) {
    try {
      it->second();
    } catch (...) {
      // The others still run.
    }
  }
  std::_Exit(exitCode);
}

}  // namespace qv::platform
