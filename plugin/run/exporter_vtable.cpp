// The exporter's table of virtual operations.
//
// Slot 0 is the deleting destructor, slots 1 and 2 are thunks to the exporter's two dialog
// handlers, and slots 3 to 34 are jump stubs through the import entries of the host's own
// WDialogBase operations, so that those calls are bound and recorded like every other host call.
// The host reads the table from the object's first word; the plug-in itself calls only slot 0
// (indirectly, through OnMenuExport's destruction) and never slots 3 to 34.
#include <new>

#include "frame/host_imports.h"
#include "run/exporter.h"
#include "trampolines.h"

// Slot s (3..34) jumps through binding position 52 - s, that is 0-based entry 51 - s: slot 3
// through entry 48 (ordinal 20959) down to slot 34 through entry 17 (ordinal 24004).
static_assert(kPos_WDialogBaseSlot3 - 1 == 48);
static_assert(kPos_WDialogBaseSlot34 - 1 == 17);
VOSTRA_DEFINE_JUMP_STUBS(vostra_exporter_slot_stubs, 32, HostImportTable, 48, -1);

extern "C" unsigned char vostra_exporter_slot_stubs[];

namespace plugin {
namespace {

// Deleting destructor: re-installs the exporter's table (a base destructor may look at it),
// lets the host destroy its part and frees the object when bit 0 of the flag is set.
void* DestroyExporter(CZantoriaKHTowary* self, unsigned flags) {
  self->vtable = kExporterVtable;
  HostDialogBaseDestroy(static_cast<WDialogBase*>(self));
  if (flags & 1u) ::operator delete(static_cast<void*>(self));
  return self;
}

int MainDialogThunk(WDialogBase* self, int item, int event) {
  return static_cast<CZantoriaKHTowary*>(self)->MainDialogEvent(item, event);
}

int DecreeDialogThunk(WDialogBase* self, int item, int event) {
  return static_cast<CZantoriaKHTowary*>(self)->DecreeDialogEvent(item, event);
}

}  // namespace

#define VOSTRA_SLOT(s) static_cast<void*>(vostra_exporter_slot_stubs + 16 * ((s) - 3))
void* const kExporterVtable[kExporterVirtualOps] = {
    reinterpret_cast<void*>(&DestroyExporter),
    reinterpret_cast<void*>(&MainDialogThunk),
    reinterpret_cast<void*>(&DecreeDialogThunk),
    VOSTRA_SLOT(3),  VOSTRA_SLOT(4),  VOSTRA_SLOT(5),  VOSTRA_SLOT(6),  VOSTRA_SLOT(7),
    VOSTRA_SLOT(8),  VOSTRA_SLOT(9),  VOSTRA_SLOT(10), VOSTRA_SLOT(11), VOSTRA_SLOT(12),
    VOSTRA_SLOT(13), VOSTRA_SLOT(14), VOSTRA_SLOT(15), VOSTRA_SLOT(16), VOSTRA_SLOT(17),
    VOSTRA_SLOT(18), VOSTRA_SLOT(19), VOSTRA_SLOT(20), VOSTRA_SLOT(21), VOSTRA_SLOT(22),
    VOSTRA_SLOT(23), VOSTRA_SLOT(24), VOSTRA_SLOT(25), VOSTRA_SLOT(26), VOSTRA_SLOT(27),
    VOSTRA_SLOT(28), VOSTRA_SLOT(29), VOSTRA_SLOT(30), VOSTRA_SLOT(31), VOSTRA_SLOT(32),
    VOSTRA_SLOT(33), VOSTRA_SLOT(34),
};
#undef VOSTRA_SLOT

}  // namespace plugin
