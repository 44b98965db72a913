// The sample generator: a firm, contractors of every address layout, a goods catalogue and
// documents of every kind over the current and the previous month, deterministic for a seed.
// Rows go straight to the writer's prepared statements, so large samples stream into one
// transaction without being held in memory.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "store/store.h"
#include "store/store_impl.h"

namespace host::store {

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

struct Ymd {
  int y, m, d;
};

int DaysIn(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

std::string DateText(Ymd date) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.y, date.m, date.d);
  return text;
}

Ymd Today(const Host& host) {
  const std::string& t = host.options.today;
  if (t.size() == 8) {
    Ymd d{std::atoi(t.substr(0, 4).c_str()), std::atoi(t.substr(4, 2).c_str()),
          std::atoi(t.substr(6, 2).c_str())};
    if (d.m >= 1 && d.m <= 12 && d.d >= 1 && d.d <= DaysIn(d.y, d.m)) return d;
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// A row of a record with the named fields set; the rest stays 0 or "".
class RowBuilder {
 public:
  explicit RowBuilder(const RecordDef& def) : def_(def), row_(def.fields.size()) {}
  RowBuilder& Set(std::string_view name, std::int64_t n) {
    row_[Index(name)].n = n;
    return *this;
  }
  RowBuilder& Text(std::string_view name, std::string s) {
    row_[Index(name)].s = std::move(s);
    return *this;
  }
  const Row& row() const { return row_; }
  void Clear() {
    for (Value& v : row_) {
      v.n = 0;
      v.s.clear();
    }
  }

 private:
  std::size_t Index(std::string_view name) {
    int i = FieldIndex(def_, name);
    if (i < 0) std::abort();  // a name of this file, not of the input
    return static_cast<std::size_t>(i);
  }
  const RecordDef& def_;
  Row row_;
};

struct SampleContractor {
  const char* code;
  const char* name;
  const char* address;
  int kind;
  const char* nip;
  const char* person;
  const char* country;  // "" for Poland
};

// Address layouts: postal code and city first with the street from character 25; the street
// first with the postal code from 25; free form; with and without flat; foreign.
constexpr SampleContractor kContractors[] = {
    {"ABC", "ABC Handel Sp. z o.o.", "00-950 Warszawa          ul. Długa 5/12", 1, "526-000-12-46", "", ""},
    {"KOWAL", "Kowalski Jan", "ul. Polna 3              30-001 Kraków", 3, "", "Jan Kowalski", ""},
    {"RYNEK", "Sklep Rynek s.c.", "Rynek 1, 30-001 Kraków", 1, "677-123-45-67", "", ""},
    {"OSIED", "Zakład Usługowy Osiedle", "os. Tysiąclecia 12 m 4 31-610 Kraków", 1, "945-111-22-33", "", ""},
    {"MIASTO", "Pracownia Miasto", "Gdynia", 1, "586-000-00-01", "", ""},
    {"ZIELIN", "Zieliński Piotr", "61-001 Poznań            ul. Ogrodowa 7", 3, "", "Piotr Maria Zieliński", ""},
    {"ALEJE", "Biuro Aleje", "Aleje Jerozolimskie 5     00-001 Warszawa", 1, "701-000-11-22", "", ""},
    {"NOWAK", "Nowak Anna", "ul. Słoneczna 14/2 80-001 Gdańsk", 3, "", "Anna Nowak", ""},
    {"BERLIN", "Müller Handel GmbH", "Hauptstraße 5, 10115 Berlin", 1, "DE123456789", "", "DE"},
    {"PRAHA", "Novak s.r.o.", "Karlova 12, 110 00 Praha", 1, "CZ12345678", "", "CZ"},
    {"HURT", "Hurtownia Wschód", "ul. Lubelska 100         20-001 Lublin", 1, "712-000-33-44", "", ""},
    {"EKO", "Eko-Rolnik Wiśniewski", "Wólka 7, 21-100 Lubartów", 3, "", "Tomasz Wiśniewski", ""},
};

struct SampleGoods {
  const char* name;
  const char* code;
  const char* unit;
  const char* classification;
  int vatCode;
  int netPriceCents;
};

constexpr SampleGoods kGoods[] = {
    {"Mąka pszenna typ 450", "MAKA450", "kg", "10.61.21", 3, 289},
    {"Cukier biały", "CUKIER", "kg", "10.81.12", 2, 459},
    {"Olej rzepakowy 1 l", "OLEJ1L", "szt", "10.41.54", 3, 899},
    {"Młotek ślusarski 500 g", "MLOTEK", "", "25.73.30", 1, 3450},
    {"Wkrętarka akumulatorowa", "WKRET18", "szt", "28.24.11", 1, 34900},
    {"Usługa transportowa", "", "", "49.41.1", 1, 15000},
    {"Książka \"Żółta łódź\"", "KSIAZKA", "szt", "58.11.1", 3, 3990},
    {"Nawóz azotowy", "NAWOZ", "kg", "20.15.3", 2, 180},
    {"Telefon komórkowy", "TEL01", "szt", "26.30.22", 1, 119900},
    {"Paliwo ON", "ON", "l", "19.20.26", 1, 612},
    {"Eksport: maszyna CNC", "CNC", "szt", "28.41.1", 4, 2500000},
    {"Usługa budowlana (odwrotne obc.)", "BUD", "", "43.99", 8, 500000},
    {"Usługa zwolniona", "ZW", "", "85.59", 5, 20000},
    {"Usługa poza terytorium kraju", "NP", "", "62.01", 9, 80000},
    {"Opakowanie zwrotne", "OPAK", "szt", "", 4, 50},
    {"Artykuł wycofany", "STARY", "szt", "", 1, 100},
};

int RatePercent(int vatCode) {
  switch (vatCode) {
    case 1: return 23;
    case 2: return 8;
    case 3: return 5;
    default: return 0;
  }
}

std::int64_t RoundHundreds(std::int64_t v) {
  // To whole grosze (100 ten-thousandths), halves away from zero.
  return v >= 0 ? (v + 50) / 100 * 100 : -((-v + 50) / 100 * 100);
}

class Generator {
 public:
  Generator(Writer& w, Ymd today, std::uint64_t seed) : w_(w), rng_(seed), today_(today) {
    prev_ = today.m == 1 ? Ymd{today.y - 1, 12, 1} : Ymd{today.y, today.m - 1, 1};
  }

  void Run(int invoices) {
    Firm();
    for (const DefaultRate& r : kDefaultRates)
      w_.VatRate(r.code, r.percent < 0 ? std::nullopt
                                       : std::optional<std::int64_t>(r.percent * kMoneyScale));
    for (const DefaultForm& f : kDefaultForms) w_.PaymentForm(f.code, f.text);
    Contractors(invoices);
    Goods();
    struct Plan {
      int kind;
      int count;
    };
    const Plan sales[] = {{kKindInvoiceDomestic, invoices},
                          {kKindInvoiceReceipts, invoices / 10 + 1},
                          {kKindInvoiceExport, invoices / 20 + 1},
                          {kKindInvoice1836, invoices / 20 + 1}};
    for (const Plan& p : sales)
      for (int i = 0; i < p.count && w_.ok(); ++i) Invoice(p.kind, i);
    EmptySlot(false);
    const Plan corrections[] = {{kKindCorrectionDomestic, invoices / 10 + 1},
                                {kKindCorrectionExport, invoices / 40 + 1},
                                {kKindCorrection1838, invoices / 40 + 1}};
    for (const Plan& p : corrections)
      for (int i = 0; i < p.count && w_.ok(); ++i) Correction(p.kind, i);
    EmptySlot(true);
  }

 private:
  void Firm() {
    RowBuilder f(kFirmDef);
    f.Text("nip", "123-456-32-18")
        .Text("name", "Przedsiębiorstwo Handlowe \"Vostra\" Sp. z o.o.")
        .Text("nameAlt", "PH Vostra")
        .Text("street", "Marszałkowska")
        .Text("house", "102")
        .Text("flat", "15")
        .Text("postalCode", "00-017")
        .Text("city", "Warszawa")
        .Text("code", "VOSTRA")
        .Text("idNumber", "012345678")
        .Text("email", "biuro@vostra.example.pl")
        .Text("emailAlt", "faktury@vostra.example.pl");
    w_.Firm(f.row());
  }

  void Contractors(int invoices) {
    RowBuilder c(kContractorDef);
    int id = 0;
    for (const SampleContractor& s : kContractors) {
      c.Clear();
      ++id;
      c.Set("id", id)
          .Text("code", s.code)
          .Text("name", s.name)
          .Text("address", s.address)
          .Set("kind", s.kind)
          .Text("nip", s.nip)
          .Text("personName", s.person)
          .Text("info3", id % 3 == 0 ? "Stały klient, rabat 5%" : "")
          .Text("email", std::string(s.code) + "@example.com")
          .Set("accountNumber", 200 + id);
      w_.Contractor(c.row());
    }
    // Further companies for larger samples, in both host layouts.
    static constexpr const char* kCities[] = {"Łódź", "Wrocław", "Szczecin", "Bydgoszcz",
                                              "Toruń", "Opole", "Kielce", "Rzeszów"};
    extra_ = invoices / 50;
    for (int i = 0; i < extra_ && w_.ok(); ++i) {
      c.Clear();
      char code[17], name[64], address[64], nip[20];
      std::snprintf(code, sizeof code, "K%06d", i + 1);
      std::snprintf(name, sizeof name, "Firma Handlowa nr %d", i + 1);
      const char* city = kCities[i % 8];
      if (i % 2 == 0) {
        std::snprintf(address, sizeof address, "%02d-%03d %-16s ul. Kwiatowa %d/%d",
                      10 + i % 80, i % 1000, city, 1 + i % 90, 1 + i % 30);
      } else {
        std::snprintf(address, sizeof address, "ul. Lipowa %-14d %02d-%03d %s", 1 + i % 90,
                      10 + i % 80, i % 1000, city);
      }
      std::snprintf(nip, sizeof nip, "%03d-%03d-%02d-%02d", 100 + i % 900, i % 1000, i % 100,
                    (i / 100) % 100);
      c.Set("id", ++id).Text("code", code).Text("name", name).Text("address", address)
          .Set("kind", 1).Text("nip", nip).Set("accountNumber", 1000 + i);
      w_.Contractor(c.row());
    }
  }

  void Goods() {
    RowBuilder g(kGoodsDef);
    int key = 0;
    for (const SampleGoods& s : kGoods) {
      g.Clear();
      ++key;
      // The withdrawn article cannot be chosen.
      g.Set("key", key).Text("name", s.name).Set("attr", std::string_view(s.code) == "STARY" ? 0 : key);
      w_.Goods(g.row());
    }
  }

  std::string RandomDate() {
    // Spread over the previous month and the current month up to today.
    int prevDays = DaysIn(prev_.y, prev_.m);
    int day = rng_.Below(prevDays + today_.d);
    if (day < prevDays) return DateText({prev_.y, prev_.m, day + 1});
    return DateText({today_.y, today_.m, day - prevDays + 1});
  }

  struct Totals {
    std::int64_t net = 0, vat = 0, gross = 0;
    std::vector<std::array<std::int64_t, 4>> byCode;  // code, net, vat, gross
    void Add(int code, std::int64_t n, std::int64_t v) {
      net += n;
      vat += v;
      gross += n + v;
      for (auto& s : byCode)
        if (s[0] == code) {
          s[1] += n;
          s[2] += v;
          s[3] += n + v;
          return;
        }
      byCode.push_back({code, n, v, n + v});
    }
  };

  // Fills a position row's common fields from a goods item; returns net and VAT.
  void PositionValues(RowBuilder& p, const SampleGoods& g, std::int64_t quantity, bool netBased,
                      Totals& totals) {
    std::int64_t netPrice = static_cast<std::int64_t>(g.netPriceCents) * 100;
    int pct = RatePercent(g.vatCode);
    std::int64_t grossPrice = RoundHundreds(netPrice * (100 + pct) / 100);
    std::int64_t net = RoundHundreds(netPrice * quantity / kQuantityScale);
    std::int64_t vat = RoundHundreds(net * pct / 100);
    if (!netBased) {
      // Calculated from gross prices: the gross value is exact, net and VAT derive from it.
      std::int64_t gross = RoundHundreds(grossPrice * quantity / kQuantityScale);
      net = RoundHundreds(gross * 100 / (100 + pct));
      vat = gross - net;
    }
    p.Text("name", g.name).Text("code", g.code).Set("quantity", quantity).Text("unit", g.unit)
        .Set("price", grossPrice).Set("valueAlt", net).Set("vatCode", g.vatCode)
        .Set("vatValue", vat).Set("value", net);
    totals.Add(g.vatCode, net, vat);
  }

  std::int64_t Quantity(const SampleGoods& g) {
    std::string_view unit = g.unit;
    if (unit == "kg" || unit == "l") return (1 + rng_.Below(40)) * 250;  // quarters
    return (1 + rng_.Below(12)) * kQuantityScale;
  }

  const SampleGoods& PickGoods(int kind) {
    constexpr int kCount = static_cast<int>(std::size(kGoods));
    if (kind == kKindInvoiceExport && rng_.Chance(60)) return kGoods[10];  // 0 % export
    int i = rng_.Below(kCount - 1);  // never the withdrawn article
    return kGoods[i];
  }

  int PickContractor(int kind, int index) {
    if (kind == kKindInvoiceExport) return 9 + index % 2;  // the foreign ones
    if (kind == kKindInvoiceReceipts) return index % 5 == 0 ? 0 : (index % 2 ? 2 : 8);
    if (extra_ > 0 && rng_.Chance(70)) return 13 + rng_.Below(extra_);
    return 1 + rng_.Below(static_cast<int>(std::size(kContractors)));
  }

  void HeaderFromContractor(RowBuilder& d, int id) {
    if (id <= 0) return;
    if (id <= static_cast<int>(std::size(kContractors))) {
      const SampleContractor& c = kContractors[id - 1];
      d.Text("contractorCode", c.code).Text("contractorName", c.name)
          .Text("contractorAddress", c.address).Text("countryCode", c.country);
      std::string nip = c.nip;
      if (nip.size() > 13) nip.resize(13);
      d.Text("contractorNip", nip);
    } else {
      char code[17], name[64];
      std::snprintf(code, sizeof code, "K%06d", id - 12);
      std::snprintf(name, sizeof name, "Firma Handlowa nr %d", id - 12);
      d.Text("contractorCode", code).Text("contractorName", name)
          .Text("contractorAddress", "ul. Kwiatowa 1 00-001 Warszawa");
    }
    d.Set("contractorId", id);
  }

  void Invoice(int kind, int index) {
    RowBuilder d(kInvoiceDef);
    int id = ++invoiceIds_;
    std::string issue = RandomDate();
    bool netBased = rng_.Chance(30) || kind == kKindInvoiceExport;
    char number[40];
    const char* prefix = kind == kKindInvoiceReceipts ? "FP"
                         : kind == kKindInvoiceExport ? "FE"
                         : kind == kKindInvoice1836   ? "FW"
                                                      : "FV";
    std::snprintf(number, sizeof number, "%s/%d/%s/%s", prefix, index + 1,
                  issue.substr(4, 2).c_str(), issue.substr(0, 4).c_str());
    int contractor = PickContractor(kind, index);
    d.Set("documentId", id).Set("kind", kind).Text("number", number)
        .Set("calcFlags", netBased ? 1 : 0).Text("issueDate", issue)
        .Text("saleDate", rng_.Chance(80) ? issue : RandomDate())
        .Text("receivedBy", rng_.Chance(50) ? "Jan Odbiorca" : "");
    HeaderFromContractor(d, contractor);

    int positions = kind == kKindInvoiceDomestic ? 5 : 1 + rng_.Below(4);
    Totals totals;
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(positions));
    RowBuilder p(kInvoicePositionDef);
    std::int64_t gtu = 0;
    for (int k = 0; k < positions; ++k) {
      p.Clear();
      const SampleGoods& g = PickGoods(kind);
      std::int64_t quantity = Quantity(g);
      PositionValues(p, g, quantity, netBased, totals);
      std::int64_t net = p.row()[static_cast<std::size_t>(FieldIndex(kInvoicePositionDef, "value"))].n;
      p.Set("priceAlt", static_cast<std::int64_t>(g.netPriceCents) * 100)
          .Text("classification", g.classification)
          .Set("purchaseValue", RoundHundreds(net * 7 / 10))
          .Set("warehouse", 1 + k % 2);
      if (std::string_view(g.code) == "TEL01") gtu |= 1 << 6;   // GTU_07
      if (std::string_view(g.code) == "ON") gtu |= 1 << 1;      // GTU_02
      rows.push_back(p.row());
    }

    int form = rng_.Below(4);
    int days = form == 1 ? (rng_.Chance(50) ? 14 : 30) : 0;
    std::int64_t paid = form == 0 || form == 2 ? totals.gross : 0;
    std::int64_t rate = kMoneyScale;
    std::string currency = "PLN";
    if (kind == kKindInvoiceExport) {
      currency = index % 2 ? "EUR" : "CZK";
      rate = index % 2 ? 43215 : 1789;
    }
    std::uint32_t state = 0;
    if (totals.gross >= 15000 * kMoneyScale || (gtu && rng_.Chance(50))) state |= 0x100;
    if (rng_.Chance(2)) state |= 0x20;
    if (rng_.Chance(2)) state |= 0x400;
    std::uint16_t kindFlags = 0;
    if (kind == kKindInvoiceDomestic || kind == kKindInvoiceReceipts) {
      int r = rng_.Below(100);
      if (r < 4) kindFlags = 0x1000;
      else if (r < 7) kindFlags = 0x1200;
      else if (r < 11) kindFlags = 0x0400;
      else if (r < 13) kindFlags = 0x0500;
    }
    std::int64_t marks = 0;
    if (state & 0x100) marks |= 1 << 2;                     // TP or split payment relatives
    if (kind == kKindInvoiceExport) marks |= 1 << 12;       // WSTO_EE
    if (rng_.Chance(5)) marks |= 1 << 0;                    // SW
    d.Set("paid", paid).Set("toPay", totals.gross - paid).Set("paymentForm", form)
        .Set("paymentDays", days).Set("grossAmount", totals.gross).Set("vatAmount", totals.vat)
        .Set("kindFlags", kindFlags).Set("stateFlags", state).Text("currency", currency)
        .Set("rate", rate).Set("exportFlags", rng_.Chance(10) ? 4 : 0).Set("procMarks", marks)
        .Set("gtuMask", gtu)
        .Set("receiptLink", kind == kKindInvoiceReceipts && index % 7 == 3 ? 1 : 0);
    // Some documents carry the summary as the sales program stored it.
    bool stored = index % 7 == 0;
    std::int64_t row = w_.Document(false, d.row(), stored);
    for (std::size_t k = 0; k < rows.size(); ++k)
      w_.Position(false, row, static_cast<int>(k), rows[k]);
    if (stored)
      for (std::size_t k = 0; k < totals.byCode.size() && k < 10; ++k) {
        const auto& s = totals.byCode[k];
        w_.SummarySlot(false, row, static_cast<int>(k), static_cast<int>(s[0]), s[1], s[2], s[3]);
      }
  }

  void Correction(int kind, int index) {
    RowBuilder d(kCorrectionDef);
    int id = ++correctionIds_;
    std::string issue = RandomDate();
    bool netBased = rng_.Chance(30) || kind == kKindCorrectionExport;
    char number[24], corrected[24];
    std::snprintf(number, sizeof number, "KOR/%d/%s/%s", index + 1, issue.substr(4, 2).c_str(),
                  issue.substr(2, 2).c_str());
    std::snprintf(corrected, sizeof corrected, "FV/%d/%s", 1 + rng_.Below(999),
                  issue.substr(0, 4).c_str());
    int contractor = kind == kKindCorrectionExport ? 9 : PickContractor(kKindInvoiceDomestic, index);
    d.Set("documentId", id).Set("kind", kind).Text("number", number)
        .Text("correctedNumber", corrected).Text("correctedDate", DateText({prev_.y, prev_.m, 1 + rng_.Below(28)}))
        .Set("calcFlags", netBased ? 1 : 0).Text("issueDate", issue)
        .Text("saleDate", index % 3 == 0 ? "" : issue)
        .Text("receivedBy", "Anna Księgowa")
        .Text("correctionText", index % 2 ? "Zwrot towaru" : "Obniżka ceny - rabat posprzedażny");
    HeaderFromContractor(d, contractor);
    Totals totals;
    std::vector<Row> rows;
    RowBuilder p(kCorrectionPositionDef);
    int count = 1 + rng_.Below(3);
    for (int k = 0; k < count; ++k) {
      const SampleGoods& g = PickGoods(kind == kKindCorrectionExport ? kKindInvoiceExport : kind);
      std::int64_t quantity = Quantity(g);
      // The goods row as it was, then the correction row taking part of it back.
      p.Clear();
      Totals ignored;
      PositionValues(p, g, quantity, netBased, ignored);
      p.Set("rowKind", 2).Set("purchasePrice", static_cast<std::int64_t>(g.netPriceCents) * 70)
          .Text("classification", g.classification).Set("warehouse", 1);
      rows.push_back(p.row());
      p.Clear();
      std::int64_t back = -std::max<std::int64_t>(quantity / 2 / 250 * 250, 250);
      PositionValues(p, g, back, netBased, totals);
      p.Set("rowKind", 1).Set("purchasePrice", static_cast<std::int64_t>(g.netPriceCents) * 70)
          .Text("classification", g.classification).Set("warehouse", 1);
      rows.push_back(p.row());
    }
    std::int64_t rate = kMoneyScale;
    std::string currency = "PLN";
    if (kind == kKindCorrectionExport) {
      currency = "EUR";
      rate = 43215;
    }
    d.Set("paymentForm", 1).Set("paymentDays", 14).Set("grossAmount", totals.gross)
        .Set("vatAmount", totals.vat).Text("currency", currency).Set("rate", rate)
        .Set("stateFlags", rng_.Chance(3) ? 0x20 : 0)
        .Set("exportFlags", rng_.Chance(10) ? 4 : 0)
        .Set("procMarks", kind == kKindCorrectionExport ? 1 << 12 : 0);
    std::int64_t row = w_.Document(true, d.row(), false);
    for (std::size_t k = 0; k < rows.size(); ++k)
      w_.Position(true, row, static_cast<int>(k), rows[k]);
  }

  // A slot that the sales program left empty (document id 0).
  void EmptySlot(bool correction) {
    RowBuilder d(correction ? kCorrectionDef : kInvoiceDef);
    d.Set("kind", correction ? kKindCorrectionDomestic : kKindInvoiceDomestic)
        .Text("issueDate", DateText({today_.y, today_.m, 1}));
    w_.Document(correction, d.row(), false);
  }

  Writer& w_;
  Random rng_;
  Ymd today_;
  Ymd prev_;
  int extra_ = 0;
  int invoiceIds_ = 0;
  int correctionIds_ = 0;
};

}  // namespace

bool Store::Sample(int invoices, std::uint64_t seed, std::string* error) {
  if (invoices < 0) {
    if (error) *error = "liczba faktur nie może być ujemna";
    return false;
  }
  Writer w(*impl_);
  Generator g(w, Today(impl_->host), seed);
  if (w.ok()) g.Run(invoices);
  return w.Commit(error);
}

}  // namespace host::store
