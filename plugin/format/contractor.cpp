// The contractor and goods blocks that precede each document block.
#include <cstring>

#include "format/address.h"
#include "format/codepage.h"
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kNaturalPerson = 3;

// Mazovia template: "gotówka" carries a Polish letter.
constexpr const char* KontrahentTemplate() {
  return "Kontrahent{\n"
         "\t\tNotatka_Dl{\n"
         "\t\t\t\topis =\n"
         "\t\t}\n"
         "\t\tid =%ld\n"
         "\t\tflag =0\n"
         "\t\tsubtyp =0\n"
         "\t\tznacznik =0\n"
         "\t\tinfo =N\n"
         "\t\tosoba =\n"
         "\t\tkod =%s\n"
         "\t\tnazwa =%s\n"
         "\t\tmiejscowosc =%s\n"
         "\t\tulica =%s\n"
         "\t\tdom =%s\n"
         "\t\tlokal =%s\n"
         "\t\tkodpocz =%s\n"
         "\t\trejon=\n"
         "\t\tnip=%s\n"
         "\t\tstatusUE=0\n"
         "\t\tregon=\n"
         "\t\tpesel=\n"
         "\t\ttel1=\n"
         "\t\ttel2=\n"
         "\t\tfax=\n"
         "\t\temail=%s\n"
         "\t\twww=\n"
         "\t\tnaglowek=\n"
         "\t\tnazwisko=%s\n"
         "\t\timie=%s\n"
         "\t\tbnazwa=\n"
         "\t\tbadres=\n"
         "\t\tbkonto=\n"
         "\t\tosfiz=%d\n"
         "\t\tnegoc=N\n"
         "\t\tgrupacen=3\n"
         "\t\tupust=0.00\n"
         "\t\tlimit=0\n"
         "\t\tlimitkwota=0.00\n"
         "\t\tlimitwaluta=\n"
         "\t\tforma_platnosci=gotówka\n"
         "\t\tstanpl=0.00\n"
         "\t\tstannl=0.00\n"
         "\t\tkhfk=id\n"
         "\t\tzapas=\n"
         "\t\tkrajKod=PL\n"
         "\t\tkrajNazwa=Polska\n"
         "\t\taktywny=1\n"
         "}\n"_mz;
}

constexpr const char* kTowarTemplate =
    "Towar{\n"
    "\t\tNotatka_Dl{\n"
    "\t\t\t\topis =\n"
    "\t\t}\n"
    "\t\tid =%ld\n"
    "\t\tflag =0\n"
    "\t\tsubtyp =0\n"
    "\t\tinfo =N\n"
    "\t\tosoba =\n"
    "\t\tkod =%s\n"
    "\t\tnazwa =%s\n"
    "\t\tkodpaskowy =\n"
    "\t\tnegoc =T\n"
    "\t\tnegocjacjacen =1\n"
    "\t\tpcn =\n"
    "\t\tprzelkg =0.0000\n"
    "\t\tprzeluz =0.0000\n"
    "\t\tprzelit =0\n"
    "\t\tjmuzup =\n"
    "\t\tstawkaVAT =%s\n"
    "\t\tsww =%s\n"
    "\t\tcbazowa =%0.4f\n"
    "\t\tzaokrag =0\n"
    "\t\tcenaa =%0.4f\n"
    "\t\tjm =%s\n"
    "\t\tstanmin =0.0000\n"
    "\t\tstanmax =0.0000\n"
    "\t\taktywny =1\n"
    "}\n";

}  // namespace

int CZantoriaKHTowary::WriteKontrahent(HostFile* file, std::int32_t contractorId) {
  *HostContractorKey() = contractorId;
  if (HostFindContractor(-1) == 0) return 0;
  const K4Record* k = recK4;

  char name[kTextSize];
  CopyField(name, k->name);
  HostNormalizeText(name);

  char address[kTextSize];
  CopyField(address, k->address);
  AddressParts parts;
  SplitAddress(address, &parts);

  // First name before the first blank, the surname after it; one word serves as both.
  char person[kTextSize], firstName[kTextSize], surname[kTextSize];
  CopyField(person, k->personName);
  if (char* blank = std::strchr(person, ' ')) {
    *blank = 0;
    CopyText(firstName, person);
    CopyText(surname, blank + 1);
  } else {
    CopyText(firstName, person);
    CopyText(surname, person);
  }

  char code[kTextSize], nip[kTextSize], email[kTextSize];
  CopyField(code, k->code);
  CopyField(nip, k->nip);
  CopyField(email, k->email);

  HostFilePrintf(file, KontrahentTemplate(), static_cast<long>(k->id.get()), code, name,
                 parts.city, parts.street, parts.house, parts.flat, parts.postalCode, nip, email,
                 surname, firstName, k->kind.get() == kNaturalPerson ? 1 : 0);
  return 0;
}

void CZantoriaKHTowary::WriteTowar(HostFile* file, const char* name, const char* code,
                                   int vatCode, double price, const char* unit,
                                   const char* classification, int row) {
  char stawka[kTextSize];
  FormatStawka(vatCode, stawka);
  const double shown = price / 10000.0;
  HostFilePrintf(file, kTowarTemplate, static_cast<long>(row + 65500), code[0] ? code : name, name,
                 stawka, classification, shown, shown, unit[0] ? unit : "szt");
}

}  // namespace plugin
