// The program's "db" commands: sample, import and dump.
#include <charconv>
#include <iostream>

#include "store/store.h"

namespace host::store {

namespace {

int Usage() {
  std::cerr << "Użycie: vostra db sample [--invoices N] [--seed S] | db import PLIK|- | db dump\n";
  return 2;
}

template <class T>
bool ParseNumber(const std::string& text, T& out) {
  auto res = std::from_chars(text.data(), text.data() + text.size(), out);
  return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

}  // namespace

int RunDbCommand(Host& host, const std::vector<std::string>& args) {
  if (args.empty() || !host.store) return Usage();
  Store& store = *host.store;
  std::string error;
  const std::string& command = args[0];
  if (command == "sample") {
    int invoices = 60;
    std::uint64_t seed = 1;
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string& opt = args[i];
      if (i + 1 >= args.size()) return Usage();
      const std::string& value = args[++i];
      bool ok = opt == "--invoices"   ? ParseNumber(value, invoices) && invoices >= 0 &&
                                          invoices <= 10'000'000
                : opt == "--seed" ? ParseNumber(value, seed)
                                  : false;
      if (!ok) {
        std::cerr << "Błędna opcja: " << opt << " " << value << "\n";
        return Usage();
      }
    }
    if (!store.Sample(invoices, seed, &error)) {
      std::cerr << "Nie udało się wygenerować danych: " << error << "\n";
      return 1;
    }
    std::cerr << "Wygenerowano dane przykładowe: " << invoices << " faktur (ziarno " << seed
              << ").\n";
    return 0;
  }
  if (command == "import") {
    if (args.size() != 2) return Usage();
    if (!store.ImportFile(args[1], &error)) {
      std::cerr << "Import odrzucony: " << error << "\n";
      return 1;
    }
    std::cerr << "Zaimportowano " << (args[1] == "-" ? "dane ze standardowego wejścia" : args[1])
              << ".\n";
    return 0;
  }
  if (command == "dump") {
    if (args.size() != 1) return Usage();
    if (!store.Dump(std::cout, &error)) {
      std::cerr << "Zrzut bazy nie powiódł się: " << error << "\n";
      return 1;
    }
    return 0;
  }
  std::cerr << "Nieznane polecenie: db " << command << "\n";
  return Usage();
}

}  // namespace host::store
