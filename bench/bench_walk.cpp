// The document walk of an export run against the host's database: a cursor over the kind 811
// documents and, per document, four positions walks (query and cursor), one contractor lookup
// and one VAT summary. Prints the time, documents per second and the resident memory, which
// must not grow with the number of documents.
//
//   bench_walk [INVOICES]   (default 100000; five positions each)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_data.h"
#include "frame/host_services.h"

namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

long CurrentRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// One positions walk as the plug-in does it; returns the rows seen.
int WalkPositions(int positionsKind, std::int32_t documentId, double& sum) {
  HostTable* table = nullptr;
  HostQuery query{};
  HostCursor cursor{};
  int rows = 0;
  HostQueryPrepare(positionsKind, &table, &query, documentId);
  if (HostQueryCheck(&query) == 0 && HostCursorOpen(&cursor, table, positionsKind, &query, 0, 0)) {
    while (HostCursorNext(&cursor) == 1) {
      if (!HostQueryMatches(table->record, table)) continue;
      sum += static_cast<const PositionCommon*>(table->record)->value.get();
      ++rows;
    }
    HostCursorClose(&cursor);
  }
  HostCursorFree(&cursor);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  int invoices = argc > 1 ? std::atoi(argv[1]) : 100000;
  bench::BenchHost bh;
  auto t0 = std::chrono::steady_clock::now();
  if (!bench::GenerateBenchData(bh.host(), invoices)) return 1;
  auto t1 = std::chrono::steady_clock::now();
  long rssBeforeWalk = CurrentRssKb();

  HostTable* tspr = HostGetTable(kTableTspr);
  HostTable* k4 = HostGetTable(kTableK4);
  HostCursor cursor{};
  long documents = 0, rows = 0, contractors = 0;
  double sum = 0;
  long rssAtTenth = 0;
  if (HostCursorOpen(&cursor, tspr, 811, nullptr, 0, 0) == 1) {
    while (HostCursorNext(&cursor) == 1) {
      const auto* doc = static_cast<const TsprRecord*>(tspr->record);
      std::int32_t id = doc->documentId.get();
      if (id == 0) continue;
      *HostContractorKey() = doc->contractorId.get();
      if (HostFindContractor(-1)) {
        ++contractors;
        sum += static_cast<const K4Record*>(k4->record)->accountNumber.get();
      }
      VatSummary summary, second;
      HostGetVatSummary(811, &summary, &second, 0);
      sum += summary.gross[0].get();
      for (int pass = 0; pass < 4; ++pass) rows += WalkPositions(812, id, sum);
      if (++documents == invoices / 10) rssAtTenth = CurrentRssKb();
    }
    HostCursorClose(&cursor);
  }
  HostCursorFree(&cursor);
  auto t2 = std::chrono::steady_clock::now();

  double generate = std::chrono::duration<double>(t1 - t0).count();
  double walk = std::chrono::duration<double>(t2 - t1).count();
  std::printf("invoices            %d\n", invoices);
  std::printf("generate            %.2f s\n", generate);
  std::printf("walk                %.2f s (%ld documents, %ld position rows, %ld contractors)\n",
              walk, documents, rows, contractors);
  std::printf("documents/s         %.0f\n", walk > 0 ? documents / walk : 0.0);
  std::printf("RSS before walk     %ld KiB\n", rssBeforeWalk);
  std::printf("RSS at 1/10 of walk %ld KiB\n", rssAtTenth);
  std::printf("RSS after walk      %ld KiB\n", CurrentRssKb());
  std::printf("peak RSS            %ld KiB\n", PeakRssKb());
  std::printf("checksum            %.0f\n", sum);
  return 0;
}
