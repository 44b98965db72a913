// The host functions of the dialog engine (C linkage, exported by ordinal from TOVRAN).
//
// WDialogBase: the constructor puts the host's own table of virtual operations into the
// object's first word and the mark kDialogObjectAlive into the host word; the destructor clears
// the mark. Operations 3 to 34 are hooks that the engine calls on a dialog's object:
//   3  may the dialog close with result a?   (default: yes, 1)
//   4  the dialog with template id a is about to show (default: nothing, 0)
//   5  the dialog closed with result a       (default: nothing, 0)
//   6 to 34 reserved: they return 0.
// A handler binding keeps (mark, object, entry) in its host data; operation 1 of its table
// yields the handler value, which points at that data.
#include <cstring>

#include "core/host.h"
#include "dialog/dialogs.h"
#include "frame/host_services.h"

using host::dialog::Dialogs;
using host::dialog::kDialogObjectAlive;

namespace {

Dialogs* Engine() {
  host::Host* host = host::Current();
  return host && host->dialogs ? host->dialogs.get() : nullptr;
}

void BaseDestroyAndFree(WDialogBase* self, unsigned flags);
int BaseNoEvent(WDialogBase*, int, int) { return 0; }

HostHandler BindingValue(HandlerBinding* self) { return static_cast<HostHandler>(self->hostData); }
void BindingNothing(HandlerBinding*) {}

void* const kBindingVtable[2] = {reinterpret_cast<void*>(&BindingNothing),
                                 reinterpret_cast<void*>(&BindingValue)};

#define VOSTRA_BASE_SLOT(n) reinterpret_cast<void*>(&WDialogBaseSlot##n)
void* const kBaseVtable[35] = {
    reinterpret_cast<void*>(&BaseDestroyAndFree), reinterpret_cast<void*>(&BaseNoEvent),
    reinterpret_cast<void*>(&BaseNoEvent),
    VOSTRA_BASE_SLOT(3),  VOSTRA_BASE_SLOT(4),  VOSTRA_BASE_SLOT(5),  VOSTRA_BASE_SLOT(6),
    VOSTRA_BASE_SLOT(7),  VOSTRA_BASE_SLOT(8),  VOSTRA_BASE_SLOT(9),  VOSTRA_BASE_SLOT(10),
    VOSTRA_BASE_SLOT(11), VOSTRA_BASE_SLOT(12), VOSTRA_BASE_SLOT(13), VOSTRA_BASE_SLOT(14),
    VOSTRA_BASE_SLOT(15), VOSTRA_BASE_SLOT(16), VOSTRA_BASE_SLOT(17), VOSTRA_BASE_SLOT(18),
    VOSTRA_BASE_SLOT(19), VOSTRA_BASE_SLOT(20), VOSTRA_BASE_SLOT(21), VOSTRA_BASE_SLOT(22),
    VOSTRA_BASE_SLOT(23), VOSTRA_BASE_SLOT(24), VOSTRA_BASE_SLOT(25), VOSTRA_BASE_SLOT(26),
    VOSTRA_BASE_SLOT(27), VOSTRA_BASE_SLOT(28), VOSTRA_BASE_SLOT(29), VOSTRA_BASE_SLOT(30),
    VOSTRA_BASE_SLOT(31), VOSTRA_BASE_SLOT(32), VOSTRA_BASE_SLOT(33), VOSTRA_BASE_SLOT(34),
};
#undef VOSTRA_BASE_SLOT

void BaseDestroyAndFree(WDialogBase* self, unsigned flags) {
  HostDialogBaseDestroy(self);
  if (flags & 1u) ::operator delete(static_cast<void*>(self));
}

}  // namespace

extern "C" {

void HostDialogBaseConstruct(WDialogBase* self) {
  if (self == nullptr) return;
  self->vtable = kBaseVtable;
  self->hostWord = kDialogObjectAlive;
}

void HostDialogBaseDestroy(WDialogBase* self) {
  if (self == nullptr) return;
  self->hostWord = 0;
}

std::intptr_t WDialogBaseSlot3(WDialogBase*, std::intptr_t, std::intptr_t) { return 1; }
#define VOSTRA_NOTHING_SLOT(n) \
  std::intptr_t WDialogBaseSlot##n(WDialogBase*, std::intptr_t, std::intptr_t) { return 0; }
VOSTRA_NOTHING_SLOT(4) VOSTRA_NOTHING_SLOT(5) VOSTRA_NOTHING_SLOT(6) VOSTRA_NOTHING_SLOT(7)
VOSTRA_NOTHING_SLOT(8) VOSTRA_NOTHING_SLOT(9) VOSTRA_NOTHING_SLOT(10) VOSTRA_NOTHING_SLOT(11)
VOSTRA_NOTHING_SLOT(12) VOSTRA_NOTHING_SLOT(13) VOSTRA_NOTHING_SLOT(14) VOSTRA_NOTHING_SLOT(15)
VOSTRA_NOTHING_SLOT(16) VOSTRA_NOTHING_SLOT(17) VOSTRA_NOTHING_SLOT(18) VOSTRA_NOTHING_SLOT(19)
VOSTRA_NOTHING_SLOT(20) VOSTRA_NOTHING_SLOT(21) VOSTRA_NOTHING_SLOT(22) VOSTRA_NOTHING_SLOT(23)
VOSTRA_NOTHING_SLOT(24) VOSTRA_NOTHING_SLOT(25) VOSTRA_NOTHING_SLOT(26) VOSTRA_NOTHING_SLOT(27)
VOSTRA_NOTHING_SLOT(28) VOSTRA_NOTHING_SLOT(29) VOSTRA_NOTHING_SLOT(30) VOSTRA_NOTHING_SLOT(31)
VOSTRA_NOTHING_SLOT(32) VOSTRA_NOTHING_SLOT(33) VOSTRA_NOTHING_SLOT(34)
#undef VOSTRA_NOTHING_SLOT

void HostHandlerBind(HandlerBinding* binding, WDialogBase* object, HostEventEntryFn* entry) {
  if (binding == nullptr) return;
  binding->vtable = kBindingVtable;
  binding->hostData[0] = reinterpret_cast<void*>(static_cast<std::uintptr_t>(kDialogObjectAlive));
  binding->hostData[1] = object;
  binding->hostData[2] = reinterpret_cast<void*>(entry);
}

void HostHandlerRelease(HandlerBinding* binding) {
  if (binding == nullptr) return;
  std::memset(binding->hostData, 0, sizeof binding->hostData);
}

int HostEventEntryMain(WDialogBase* self, int item, int event) {
  if (self == nullptr || self->vtable == nullptr) return 0;
  return reinterpret_cast<HostEventEntryFn*>(self->vtable[1])(self, item, event);
}

int HostEventEntryDecree(WDialogBase* self, int item, int event) {
  if (self == nullptr || self->vtable == nullptr) return 0;
  return reinterpret_cast<HostEventEntryFn*>(self->vtable[2])(self, item, event);
}

int HostRunDialog(WDialogBase* object, const void* templates, int templateId, void* data,
                  HostHandler handler, int flags) {
  Dialogs* engine = Engine();
  if (engine == nullptr) return host::dialog::kIdCancel;
  return engine->RunTemplate(object, templates, templateId, data, handler, flags);
}

int HostRunDialogById(int dialogId, std::int32_t* answer, int, const char* text) {
  Dialogs* engine = Engine();
  return engine ? engine->RunDialogById(dialogId, answer, text) : host::dialog::kIdCancel;
}

int HostDialogTransfer(void* block, int toBlock) {
  Dialogs* engine = Engine();
  host::dialog::Dialog* top = engine ? engine->Top() : nullptr;
  if (top == nullptr || block == nullptr) return 0;
  if (toBlock) top->ControlsToBlock(static_cast<unsigned char*>(block));
  else top->BlockToControls(static_cast<const unsigned char*>(block));
  return 1;
}

char* HostDialogItemBuffer(int item) {
  Dialogs* engine = Engine();
  host::dialog::Dialog* top = engine ? engine->Top() : nullptr;
  return top ? top->ItemBuffer(item) : nullptr;
}

void HostDialogItemRedraw(int) {
  Dialogs* engine = Engine();
  host::dialog::Dialog* top = engine ? engine->Top() : nullptr;
  if (top == nullptr) return;
  top->Refresh();
  engine->Present();
}

void HostDialogRedraw(int, int, int) {
  Dialogs* engine = Engine();
  host::dialog::Dialog* top = engine ? engine->Top() : nullptr;
  if (top == nullptr) return;
  top->Refresh();
  engine->Present();
}

void HostDialogSetTitle(int item, const char* text) {
  Dialogs* engine = Engine();
  host::dialog::Dialog* top = engine ? engine->Top() : nullptr;
  if (top == nullptr || text == nullptr) return;
  top->SetTitle(item, std::string(text, strnlen(text, 1024)));
}

int HostDateRangeEvent(int item, int event, int buttonId, int fromId, int toId, int months) {
  Dialogs* engine = Engine();
  return engine ? engine->DateRangeEvent(item, event, buttonId, fromId, toId, months) : -1;
}

int HostChooseFile(int, char* buffer, const char* pattern, int size, int, int, int) {
  Dialogs* engine = Engine();
  return engine ? engine->ChooseFile(buffer, pattern, size) : -1;
}

void HostChooserPrepare(int, int) {
  if (Dialogs* engine = Engine()) engine->PrepareChooser();
}

int HostChooseRecord(int, int, int view, int, int, HostTable* table, int, int, const char*, int, int) {
  Dialogs* engine = Engine();
  return engine ? engine->ChooseGoods(table, view) : -1;
}

std::int16_t* HostGetChosenKey() {
  static std::int16_t none = 0;
  Dialogs* engine = Engine();
  return engine ? engine->ChosenKey() : &none;
}

int HostConfigureMail(int, int, int) {
  Dialogs* engine = Engine();
  return engine ? engine->ConfigureMail() : 0;
}

int HostViewFile(const char* path, const char*, int, const char* title, int, int, int) {
  Dialogs* engine = Engine();
  return engine ? engine->ViewFile(path, title) : 0;
}

}  // extern "C"
