// Prints how the collection pass's time grows with the size of the machine it describes
// (scripted fake WMI): the time per disk should stay flat as the disk count doubles.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "collect/collection_pass.h"
#include "collect/echo.h"
#include "fakes/fake_machine.h"
#include "fakes/scripted_machine.h"

namespace {

double MedianPassMilliseconds(std::size_t disks, std::size_t longNameUnits, int runs) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    vantrel::testing::FakeMachine machine;
    vantrel::testing::FakeWmi& wmi = machine.wmi;
    vantrel::testing::AnswerManyDisks(wmi, disks, longNameUnits);
    std::array<vantrel::MemoryCategoryList, vantrel::kCategoryCount> lists;
    std::wstring report;
    const auto start = std::chrono::steady_clock::now();
    vantrel::RunCollectionPass(lists, report);
    const auto stop = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  std::FILE* sink = std::tmpfile();
  vantrel::SetEchoStream(sink);
  std::printf("collection pass over a scripted machine (median of 5 runs)\n");
  std::printf("%8s %14s %12s %16s\n", "disks", "name units", "ms", "us per disk");
  for (std::size_t longName : {std::size_t{16}, std::size_t{1} << 20}) {
    for (std::size_t disks = 1250; disks <= 10000; disks *= 2) {
      const double ms = MedianPassMilliseconds(disks, longName, 5);
      std::printf("%8zu %14zu %12.2f %16.3f\n", disks, longName, ms, 1000.0 * ms / static_cast<double>(disks));
    }
  }
  vantrel::SetEchoStream(nullptr);
  if (sink != nullptr) std::fclose(sink);
  return 0;
}
