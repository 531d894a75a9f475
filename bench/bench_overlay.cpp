// Extraction of a 200 MB project (40 pictures of 5 MB) next to a plain copy
// of the same bytes, measured in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "project/uBlockContainer.h"
#include "project/uQVProject.h"
#include "startup/uOverlay.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPictures = 40;
constexpr size_t kPictureBytes = 5u << 20;

struct Fixture {
  std::string dir;
  std::string exe;
  Fixture() {
    dir = (fs::temp_directory_path() / "qvbench-overlay").string();
    fs::create_directories(dir);
    exe = dir + "/big.scr";
    if (fs::exists(exe)) return;
    std::vector<qv::TBlockSource> pictures;
    std::string names;
    std::string fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
    std::string bytes(kPictureBytes, '\0');
    uint32_t x = 1;
    for (int i = 0; i < kPictures; ++i) {
      for (char& c : bytes) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
      std::string name = "QVImage" + std::to_string(i) + ".jpg";
      pictures.push_back({{}, bytes});
      names += name + "\r\n";
      fileList += name + "=1\r\n";
    }
    std::FILE* f = std::fopen(exe.c_str(), "wb");
    std::string engine(2 << 20, 'E');
    std::fwrite(engine.data(), 1, engine.size(), f);
    std::string settings = qv::BlockContainerBytes({fileList, "[General]\r\nProductName=Bench\r\n", "[UI]\r\n"});
    std::string head = qv::BlockMarkerBytes();
    auto put32 = [&](uint64_t v) {
      for (int i = 0; i < 4; ++i) head.push_back(static_cast<char>(v >> (8 * i)));
    };
    put32(4);
    put32(settings.size());
    head += settings;
    put32(names.size());
    head += names;
    put32(qv::BlockContainerSize(pictures));
    std::fwrite(head.data(), 1, head.size(), f);
    qv::WriteBlockContainer(f, pictures);
    std::string tail(4, '\0');
    std::fwrite(tail.data(), 1, tail.size(), f);
    std::fclose(f);
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

// The floor: the same bytes read and written through a 1 MiB buffer.
void BM_PlainCopy(benchmark::State& state) {
  Fixture& fx = Data();
  const std::string target = fx.dir + "/copy";
  std::vector<char> buf(1 << 20);
  for (auto _ : state) {
    int in = ::open(fx.exe.c_str(), O_RDONLY);
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ssize_t n;
    while ((n = ::read(in, buf.data(), buf.size())) > 0) benchmark::DoNotOptimize(::write(out, buf.data(), n));
    ::close(in);
    ::close(out);
    ::unlink(target.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(fx.exe)));
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExtractProject(benchmark::State& state) {
  Fixture& fx = Data();
  uint32_t token = 0;
  for (auto _ : state) {
    qv::TProjectTempFolder folder(fx.dir + "/", fx.exe, ++token);
    qv::TQVCProject project;
    qv::ExtractProject(project, fx.exe, folder);
    if (project.FileList().Count() != kPictures) state.SkipWithError("extraction lost pictures");
    qv::DeleteProjectFiles(folder);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(fx.exe)));
}
BENCHMARK(BM_ExtractProject)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
