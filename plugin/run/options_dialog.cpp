// The export options dialog (template 20138): showing it and handling its events.
//
// The host's engine draws the dialog and edits `optionsBlock` in place; it calls the exporter's
// virtual operation 1 (MainDialogEvent) with an item id and an event code. The handler answers
// -2 (handled, stay), 0 (let the engine do its default) or an item id (the item to redraw and
// focus). The "Konfig" buttons run the nested decree dialog on `dekrSchema`.
#include <cstring>

#include "frame/host_imports.h"
#include "run/dialog_templates.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kEventOpen = -2;
constexpr int kEventPressed = 1;
constexpr int kEventChoiceChanged = 4;
constexpr int kResultHandled = -2;

constexpr int kItemDateButton = 0x4016;
constexpr int kItemDateFrom = 0x410D;
constexpr int kItemDateTo = 0x410F;
constexpr int kItemFileName = 0x410B;
constexpr int kItemChooseFile = 0x4000;
constexpr int kItemMailConfig = 0x4400;
constexpr int kItemSchemaChoice = 0x4116;

static_assert(kEventOpen < 0);

// The host's event entry as a value: its address is handed to the binding, never called here.
HostEventEntryFn* EventEntry(int position) {
  return reinterpret_cast<HostEventEntryFn*>(HostImportTable[position - 1]);
}

// Runs one template of the table on `data` with a handler bound to the given event entry; the
// binding is released on the way out whatever the dialog returns.
int RunBoundDialog(CZantoriaKHTowary* self, int templateId, void* data, int entryPosition) {
  HandlerBinding binding{};
  HostHandlerBind(&binding, static_cast<WDialogBase*>(self), EventEntry(entryPosition));
  auto* value = reinterpret_cast<HandlerValueFn*>(binding.vtable[1]);
  const HostHandler handler = value(&binding);
  const int result =
      HostRunDialog(static_cast<WDialogBase*>(self), static_cast<const void*>(kDialogTemplateTable),
                    templateId, data, handler, 0);
  HostHandlerRelease(&binding);
  return result;
}

bool IsKonfigButton(int item) {
  return item == kTypeInvoices || item == kTypeExportInvoices || item == kTypeCorrections ||
         item == kTypeExportCorrections;
}

bool IsRegisterEdit(int item) {
  return item == 0x412B || item == 0x412D || item == 0x412F || item == 0x4131;
}

}  // namespace

int CZantoriaKHTowary::ShowOptionsDialog() {
  optionsBlock.tabGeneral.set(0);
  optionsBlock.tabDecrees.set(-1);
  const int result = RunBoundDialog(this, kOptionsDialogId, &optionsBlock, kPos_HostEventEntryMain);
  return static_cast<std::int16_t>(result);
}

int CZantoriaKHTowary::MainDialogEvent(int item, int event) {
  if (HostDateRangeEvent(item, event, kItemDateButton, kItemDateFrom, kItemDateTo, 12) >= 0)
    return kResultHandled;

  if (event == kEventPressed) {
    if (item == kItemChooseFile) {
      char* buffer = HostDialogItemBuffer(kItemFileName);
      if (buffer == nullptr) return kResultHandled;
      char pattern[256];
      HostStrCopyN(pattern, "*.TXT", 255);
      static_assert(sizeof(OptionsBlock::fileName) == 121);
      if (HostChooseFile(0, buffer, pattern, 121, 0, 58, 57) == -1) return kResultHandled;
      HostDialogItemRedraw(kItemFileName);
      return kItemFileName;
    }
    if (item == kItemMailConfig) {
      HostConfigureMail(0, 4, 1);
      return kResultHandled;
    }
    if (IsKonfigButton(item)) {
      HostDialogTransfer(&optionsBlock, 1);
      LoadSaveDekrSchema(static_cast<std::int16_t>(item), 0);
      const int result = RunBoundDialog(this, kDecreeDialogId, &dekrSchema, kPos_HostEventEntryDecree);
      if (result != kDialogCancel) {
        LoadSaveDekrSchema(static_cast<std::int16_t>(item), 1);
        HostDialogTransfer(&optionsBlock, 0);
      }
      return kResultHandled;
    }
    if (IsRegisterEdit(item)) {
      HostDialogTransfer(&optionsBlock, 1);
      SaveRejestrNames();
      return 0;
    }
    return 0;
  }

  if (event == kEventChoiceChanged && item == kItemSchemaChoice) {
    HostDialogTransfer(&optionsBlock, 1);
    LoadRejestrNames();
    HostDialogTransfer(&optionsBlock, 0);
    HostDialogRedraw(0, 0x8000, 1);
    HostDialogRedraw(0, 0x8000, 1);
    return 0;
  }
  return 0;
}

}  // namespace plugin
