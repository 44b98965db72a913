// The decree configuration dialog's handler (template 20139), virtual operation 2.
//
// On opening it titles the dialog with the schema's caption; the "Towar" buttons of Netto rows
// 1 to 11 put the name of a goods item chosen from the host's catalogue into the row's
// description and remember the goods key in `towarRef`. Results: 0 (engine default), -2
// (handled, stay) and 0x1002 (redraw the dialog, stay).
#include <cstdio>
#include <cstring>

#include "frame/host_imports.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kEventOpen = -2;
constexpr int kEventPressed = 1;
constexpr int kResultHandled = -2;
constexpr int kResultRedraw = 0x1002;

constexpr int kFirstGoodsButton = 16678;  // Netto row 1; row r's button is 16678 + 10 (r - 1)
constexpr int kGoodsButtons = 11;
constexpr int kGoodsView = 147;
constexpr int kNameWidth = 40;
static_assert(sizeof(DekretRow::opis) == kNameWidth + 1);

}  // namespace

int CZantoriaKHTowary::DecreeDialogEvent(int item, int event) {
  if (event == kEventOpen) {
    char title[256];
    char caption[sizeof dekrSchema.schemaCaption + 1];
    std::memcpy(caption, dekrSchema.schemaCaption, sizeof dekrSchema.schemaCaption);
    caption[sizeof caption - 1] = 0;
    std::snprintf(title, sizeof title, "Konfiguracja dekretu - %s", caption);
    HostDialogSetTitle(item, title);
    return 0;
  }
  if (event != kEventPressed) return 0;
  const int offset = item - kFirstGoodsButton;
  if (offset < 0 || offset % 10 != 0 || offset / 10 >= kGoodsButtons) return 0;
  const int row = offset / 10 + 1;

  HostChooserPrepare(0, 0);
  if (HostChooseRecord(0, 0, kGoodsView, 0, 0, tabK9, 0, 0, "", 0, 0) < 0) return kResultHandled;
  if (recK9->attr.get() == 0) return kResultHandled;
  dekrSchema.towarRef[row].towarKey.set(*HostGetChosenKey());
  dekrSchema.towarRef[row].towarAttr.set(recK9->attr.get());
  char* name = HostDialogItemBuffer(item - 5);
  if (name != nullptr) {
    char bounded[kNameWidth + 1];
    recK9->name.copyTo(bounded, sizeof bounded);
    HostStrCopyN(name, bounded, kNameWidth);
  }
  HostDialogItemRedraw(item - 5);
  HostDialogRedraw(0, 0x8000, 1);
  return kResultRedraw;
}

}  // namespace plugin
