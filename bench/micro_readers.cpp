// Microbenchmarks of the readers per megabyte of input: the measuring scans
// and the reading of the individual file, and the parental reader.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "data_loader.hpp"
#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"

namespace {

// Two input files of a few MB in a temporary folder, written once.
struct Files {
  Files() {
    std::string pattern = (std::filesystem::temp_directory_path() / "parmix-micro-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    dir = made != nullptr ? made : ".";
    parental = dir + "/p.txt";
    individual = dir + "/i.txt";
    std::ofstream p(parental), ind(individual);
    p << "Parental\n# header\n";
    ind << "Individual\nnames #";
    for (int j = 0; j < kInd; ++j) ind << " ind" << j;
    ind << "\n";
    for (int i = 0; i < kLoci; ++i) {
      p << "L" << i << " # C 0.25 0.75 0.6 0.4\n";
      ind << "L" << i << " #";
      for (int j = 0; j < kInd; ++j) ind << ' ' << 1 + (i + j) % 2 << '/' << 1 + (i * j) % 2;
      ind << "\n";
    }
  }
  ~Files() {
    std::remove(parental.c_str());
    std::remove(individual.c_str());
    std::remove(dir.c_str());
  }
  static constexpr int kInd = 500;
  static constexpr int kLoci = 2000;
  std::string dir, parental, individual;
};

const Files& files() {
  static const Files made;  // written once, read-only afterwards
  return made;
}

std::int64_t sizeOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<std::int64_t>(in.tellg());
}

void BM_FindNumberRows(benchmark::State& state) {
  const std::string& path = files().individual;
  for (auto _ : state) benchmark::DoNotOptimize(parmix::findNumberRows(path, '\n'));
  state.SetBytesProcessed(state.iterations() * sizeOf(path));
}
BENCHMARK(BM_FindNumberRows)->Unit(benchmark::kMillisecond);

void BM_FindNumberColumns(benchmark::State& state) {
  parmix::Status status;
  const std::string& path = files().individual;
  for (auto _ : state) {
    int nInd = 0, nCols = 0;
    benchmark::DoNotOptimize(parmix::countColumns(path, &nInd, &nCols, status, '\n'));
  }
  state.SetBytesProcessed(state.iterations() * sizeOf(path));
}
BENCHMARK(BM_FindNumberColumns)->Unit(benchmark::kMillisecond);

void BM_GetIndData(benchmark::State& state) {
  parmix::Status status;
  parmix::DataSet d;
  std::string message;
  if (!parmix::bench::loadDataSet(files().parental, files().individual, d, message)) {
    state.SkipWithError(message.c_str());
    return;
  }
  for (auto _ : state) {
    unsigned width = 10;
    benchmark::DoNotOptimize(parmix::readIndData(
        d.genotypes.rows(), d.indNames.data(), files().individual, d.nLoci, d.nCols, d.nInd,
        d.maxAlleles, d.locusType.data(), d.locusUsed.data(), &width, status, '\n'));
  }
  state.SetBytesProcessed(state.iterations() * sizeOf(files().individual));
}
BENCHMARK(BM_GetIndData)->Unit(benchmark::kMillisecond);

void BM_GetParentalData(benchmark::State& state) {
  parmix::Status status;
  parmix::DataSet d;
  std::string message;
  if (!parmix::bench::loadDataSet(files().parental, files().individual, d, message)) {
    state.SkipWithError(message.c_str());
    return;
  }
  for (auto _ : state) {
    int maxAlleles = 0;
    parmix::scanMaxAlleles(files().parental, d.nLoci, &maxAlleles, status, '\n');
    benchmark::DoNotOptimize(parmix::readParentalData(d.freqS.rows(), d.freqR.rows(),
                                                     d.locusType.data(), d.nLoci, d.maxAlleles,
                                                     files().parental, status, '\n'));
  }
  state.SetBytesProcessed(state.iterations() * sizeOf(files().parental));
}
BENCHMARK(BM_GetParentalData)->Unit(benchmark::kMillisecond);

}  // namespace
