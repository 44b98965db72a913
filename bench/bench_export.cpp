// The unattended export over generated data, against the bare walk of the same documents.
//
// For 10,000 and 100,000 sales invoices of five positions (the host's generator through
// bench_data.h, the other kinds in proportion) the program builds a host over a temporary
// folder, then times
//   walk:   what the export reads, without writing: a cursor over every document kind, per
//           document the contractor lookup, four walks of its positions and its VAT summary;
//   export: OnMenuExport, unattended, all kinds enabled: the whole file written, closed,
//           converted and the documents marked.
// It prints the export time, the bytes written, the peak resident memory of the walk and the
// export (getrusage, after resetting the high-water mark) and the ratio export / walk.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_data.h"
#include "core/host.h"
#include "frame/host_imports.h"
#include "run/exporter.h"
#include "store/store.h"

namespace {

namespace fs = std::filesystem;

// Peak resident memory since the last reset, in kilobytes.
long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Kind {
  int code;
  int table;
};
constexpr Kind kKinds[] = {{811, 44}, {24, 44}, {807, 44}, {1836, 44},
                           {103, 46}, {809, 46}, {1838, 46}};

// One walk over the positions of a document, as each of the export's four passes makes it.
int WalkPositions(int positionsKind, std::int32_t documentId) {
  HostTable* table = nullptr;
  HostQuery query{};
  HostCursor cursor{};
  cursor.openWord = 0;
  int rows = 0;
  HostQuery* q = &query;
  if (plugin::HostQueryPrepare(positionsKind, &table, q, documentId) == 0 &&
      plugin::HostQueryCheck(q) == 0 &&
      plugin::HostCursorOpen(&cursor, table, positionsKind, q, 0, 0) != 0) {
    while (plugin::HostCursorNext(&cursor) == 1)
      if (plugin::HostQueryMatches(table->record, table) != 0) ++rows;
    plugin::HostCursorClose(&cursor);
  }
  plugin::HostCursorFree(&cursor);
  return rows;
}

// The documents and rows that the export reads, read the same way, nothing written.
long BareWalk() {
  long documents = 0;
  for (const Kind& kind : kKinds) {
    HostTable* table = plugin::HostGetTable(kind.table);
    char key[260] = {};
    plugin::HostBuildKindKey(kind.code, key, "MMM", ".UNR", 117);
    const int positionsKind = plugin::HostGetPositionsKind(kind.code);
    HostCursor cursor{};
    cursor.openWord = 0;
    if (plugin::HostCursorOpen(&cursor, table, kind.code, key, 0, 0) != 0) {
      while (plugin::HostCheckBreak() == 0 && plugin::HostCursorNext(&cursor) == 1) {
        std::int32_t documentId, contractorId;
        if (kind.table == 44) {
          auto* r = static_cast<TsprRecord*>(table->record);
          documentId = r->documentId.get();
          contractorId = r->contractorId.get();
        } else {
          auto* r = static_cast<TsprKorRecord*>(table->record);
          documentId = r->documentId.get();
          contractorId = r->contractorId.get();
        }
        *plugin::HostContractorKey() = contractorId;
        plugin::HostFindContractor(-1);
        for (int pass = 0; pass < 4; ++pass) WalkPositions(positionsKind, documentId);
        VatSummary summary{}, second{};
        plugin::HostGetVatSummary(kind.code, &summary, &second, 0);
        ++documents;
      }
      plugin::HostCursorClose(&cursor);
    }
    plugin::HostCursorFree(&cursor);
  }
  return documents;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct Figures {
  double walk = 0, exportTime = 0;
  long documents = 0;
  std::uintmax_t bytes = 0;
  long peakWalkKb = 0, peakExportKb = 0;
};

Figures Measure(int invoices) {
  Figures f;
  bench::BenchHost b;
  if (!bench::GenerateBenchData(b.host(), invoices)) std::exit(1);
  const host::HostOptions& options = b.host().options;
  std::ofstream(options.configDir + "/WtyczkiG.ini") << "[ZantoriaMK]\nOpcje=3,0,0,0,0\n";

  ResetPeakRss();
  auto start = std::chrono::steady_clock::now();
  f.documents = BareWalk();
  f.walk = Seconds(std::chrono::steady_clock::now() - start);
  f.peakWalkKb = PeakRssKb();

  ResetPeakRss();
  start = std::chrono::steady_clock::now();
  plugin::OnMenuExport();
  f.exportTime = Seconds(std::chrono::steady_clock::now() - start);
  f.peakExportKb = PeakRssKb();
  std::error_code ec;
  f.bytes = fs::file_size(options.exportDir + "/VOSTRA.TXT", ec);
  return f;
}

// Google Benchmark runs each size once; the figures go into its counters and a summary line.
void BM_Export(benchmark::State& state) {
  for (auto _ : state) {
    Figures f = Measure(static_cast<int>(state.range(0)));
    state.SetIterationTime(f.exportTime);
    state.counters["documents"] = static_cast<double>(f.documents);
    state.counters["walk_s"] = f.walk;
    state.counters["export_s"] = f.exportTime;
    state.counters["bytes"] = static_cast<double>(f.bytes);
    state.counters["peak_rss_walk_kb"] = static_cast<double>(f.peakWalkKb);
    state.counters["peak_rss_export_kb"] = static_cast<double>(f.peakExportKb);
    state.counters["export_per_walk"] = f.walk > 0 ? f.exportTime / f.walk : 0;
    std::printf(
        "invoices %ld: documents %ld, walk %.2f s, export %.2f s, %ju bytes, peak RSS walk "
        "%ld kB, export %ld kB, export/walk %.2f\n",
        static_cast<long>(state.range(0)), f.documents, f.walk, f.exportTime, f.bytes,
        f.peakWalkKb, f.peakExportKb, f.walk > 0 ? f.exportTime / f.walk : 0.0);
  }
}
BENCHMARK(BM_Export)->Arg(10000)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
