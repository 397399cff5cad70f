// How fast the layout loader reads the English layout (the program reads it
// once per window; items_per_second is loads per second), and how its time
// grows on a file of nested dialogs (it should grow with the file, not with
// the square of the nesting).

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "layout/layout_loader.h"
#include "platform/resource.h"
#include "platform/textconv.h"

namespace {

std::string EnglishLayout() {
  HRSRC resource = FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(150), L"XML");
  if (!resource) return std::string();
  const char* data = static_cast<const char*>(LockResource(LoadResource(AfxGetResourceHandle(), resource)));
  return std::string(data, SizeofResource(AfxGetResourceHandle(), resource));
}

std::string g_folder;  // temporary; holds the shared shell folder and the files

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  std::string path = g_folder + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// As the main window loads it: from the file, the shared shell folder asked
// for, the record filled.
void BM_LoadEnglishLayoutFile(benchmark::State& state) {
  std::wstring path = Utf8ToWide(WriteTemp("WndLayoutInfo.xml", EnglishLayout()));
  LayoutDialogInfo info;
  for (auto _ : state) {
    LoadLayoutInfo(info, path, 201, L"Standard");
    benchmark::DoNotOptimize(info.CtrlInfos.size());
  }
  if (info.CtrlInfos.size() != 9) state.SkipWithError("the English layout did not load");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoadEnglishLayoutFile);

// The parse and the record alone: bytes already in memory, a fixed root.
void BM_LoadEnglishLayoutMemory(benchmark::State& state) {
  std::string bytes = EnglishLayout();
  std::wstring root = L"/root";
  LayoutLoadOptions options;
  options.pathRoot = &root;
  LayoutDialogInfo info;
  for (auto _ : state) {
    LoadLayoutInfoFromMemory(info, bytes.data(), bytes.size(), 201, L"Standard", options);
    benchmark::DoNotOptimize(info.CtrlInfos.size());
  }
  if (info.CtrlInfos.size() != 9) state.SkipWithError("the English layout did not load");
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadEnglishLayoutMemory);

// Dialogs nested `levels` deep, each one matching and holding a section with
// a control and a string.
void BM_LoadNestedDialogs(benchmark::State& state) {
  const int levels = static_cast<int>(state.range(0));
  std::string bytes;
  for (int i = 0; i < levels; ++i)
    bytes += "<WindowInformation><DialogInfo DialogID=\"201\"><StringInfo StringID=\"" + std::to_string(i) +
             "\" StringValue=\"v\"/><Standard><CtrlInfo CtrlID=\"" + std::to_string(i) + "\"/>";
  for (int i = 0; i < levels; ++i) bytes += "</Standard></DialogInfo></WindowInformation>";
  std::wstring root = L"/root";
  LayoutLoadOptions options;
  options.pathRoot = &root;
  LayoutDialogInfo info;
  for (auto _ : state) {
    LoadLayoutInfoFromMemory(info, bytes.data(), bytes.size(), 201, L"Standard", options);
    benchmark::DoNotOptimize(info.CtrlInfos.size());
  }
  if (info.CtrlInfos.size() != static_cast<size_t>(levels)) state.SkipWithError("wrong number of controls");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadNestedDialogs)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Keep the shared shell folder out of the user's home.
  char folder[] = "/tmp/lanscout-layout-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  g_folder = folder;
  setenv("XDG_DATA_HOME", folder, 1);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::string cleanup = "rm -rf '" + g_folder + "'";
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
