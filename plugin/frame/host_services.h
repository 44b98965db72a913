// The host functions of TOVRAN, declared once for both sides.
//
// Every function the plug-in calls lives in the host's main module TOVRAN and is reached by
// ordinal. VOSTRA_HOST_IMPORTS lists them in binding order (the order of the plug-in's import
// table) with ordinal, name, result and parameters. The host implements each under its name
// (C linkage) and exports it under its ordinal; the plug-in calls through its import table.
//
// Ownership: texts are NUL-terminated Mazovia bytes unless a line says otherwise; buffers
// passed in belong to the caller and their size is stated; objects the plug-in keeps on its
// own stack (cursor, marker, file holder, scope trace, handler binding) are storage that the
// host fills and releases through the matching function. Nothing here is thread-safe: all
// calls come on the host's one thread.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "format/host_records.h"

// --- Objects that cross the boundary --------------------------------------------------------

struct HostFile;  // an open file of the host; opaque

// Host file holder: the plug-in's storage, the host's contents.
struct HostFileHolder {
  alignas(8) unsigned char storage[16];
};

// Document-marking object (host class CIdentDokZaznacz): the plug-in's storage.
struct HostMarker {
  alignas(8) unsigned char storage[32];
};

// Scope-trace object: 16 bytes on the caller's stack.
struct ScopeTrace {
  alignas(8) unsigned char storage[16];
};
static_assert(sizeof(ScopeTrace) == 16);

// The host's dialog base class. Its first word is the table of virtual operations; the
// 32-bit word after it belongs to the host.
struct WDialogBase {
  void* const* vtable;
  std::uint32_t hostWord;
};
static_assert(offsetof(WDialogBase, hostWord) == sizeof(void*));

// Handler binding: the plug-in's storage. The host puts a table of virtual operations in its
// first word; operation 1, called with the binding and no argument, yields the handler value
// that HostRunDialog takes.
using HostHandler = void*;
struct HandlerBinding {
  void* const* vtable;
  void* hostData[3];
};
using HandlerValueFn = HostHandler(HandlerBinding* self);

// Event entry of the host: delivers (item, event) to virtual operation 1 or 2 of the object.
using HostEventEntryFn = int(WDialogBase* self, int item, int event);

// Exception report function: name of the operation, exception code, its information word
// and the address of the operation's first argument.
using ExceptionReportFn = void(const char* name, std::uint32_t code, void* info, const void* args);

// Notification function of the host (export 30006 of TOVRAN).
using HostNotifyFn = void(std::int32_t what, std::int32_t value);

// Command record that a plug-in registers. On this 64-bit platform the two pointers are
// native pointers; every other field keeps its value and order.
//   offset  0  int16   0
//   offset  2  int16   26237
//   offset  8  ptr     display name
//   offset 16  int16   command identifier
//   offset 18  int16   0
//   offset 24  ptr     handler, called without arguments, result 0
//   offset 32  8 bytes zero
using CommandHandlerFn = int();
struct PluginCommandRecord {
  std::int16_t field0;
  std::int16_t field2;
  const char* name;
  std::int16_t commandId;
  std::int16_t field10;
  CommandHandlerFn* handler;
  unsigned char reserved[8];
};
static_assert(offsetof(PluginCommandRecord, field2) == 2);
static_assert(offsetof(PluginCommandRecord, name) == 8);
static_assert(offsetof(PluginCommandRecord, commandId) == 16);
static_assert(offsetof(PluginCommandRecord, field10) == 18);
static_assert(offsetof(PluginCommandRecord, handler) == 24);
static_assert(offsetof(PluginCommandRecord, reserved) == 32);
static_assert(sizeof(PluginCommandRecord) == 40);

// Ordinals of TOVRAN that are not functions of the list.
inline constexpr unsigned kOrdinalNotify = 30006;     // HostNotifyFn
inline constexpr unsigned kOrdinalHostWord = 22980;   // uint32 data word, 256
inline constexpr std::uint32_t kHostWordValue = 256;
inline constexpr int kInterfaceVersion = 112;

// Code pages of the host.
inline constexpr int kCodePageMazovia = 1;
inline constexpr int kCodePageWindows1250 = 3;
inline constexpr int kCodePageUtf8 = 5;

// Generic signature of the entries that the plug-in binds but never calls, and of the
// WDialogBase operations 3 to 34 that only the host calls.
using HostBoundOnlyFn = void();
using WDialogSlotFn = std::intptr_t(WDialogBase* self, std::intptr_t a, std::intptr_t b);

// --- The import list ------------------------------------------------------------------------
// X(position, ordinal, Name, Result, (Parameters)). Position is 1-based, in binding order.
// Bound-only entries are named HostBoundOnly_<ordinal>; WDialogBase operations
// WDialogBaseSlot<n>.
#define VOSTRA_HOST_IMPORTS(X)                                                                          \
  /* module */                                                                                         \
  X(1, 30018, HostCheckModule, int, (void* module, char* text, int size))                              \
  X(2, 35802, HostMessageBoxF, int, (int id, const char* title, const char* format, int flags, int extra, ...)) \
  X(3, 40008, HostBoundOnly_40008, void, ())                                                            \
  X(4, 41611, HostBoundOnly_41611, void, ())                                                            \
  X(5, 41613, HostBoundOnly_41613, void, ())                                                            \
  X(6, 30005, HostBoundOnly_30005, void, ())                                                            \
  X(7, 38417, HostGetExceptionReporter, ExceptionReportFn**, ())                                        \
  X(8, 40101, HostBoundOnly_40101, void, ())                                                            \
  X(9, 32300, HostGetStateFlags, std::uint16_t, ())                                                     \
  X(10, 52082, HostUnregisterCommand, int, (std::int32_t commandId))                                    \
  X(11, 52030, HostShowError, int, (const char* text))                                                  \
  X(12, 32408, HostSetStateFlags, void, (std::uint16_t flag, int on))                                   \
  X(13, 52023, HostRunDialogById, int, (int dialogId, std::int32_t* answer, int flags, const char* text)) \
  X(14, 41399, HostIniAccess, std::int16_t, (const char* file, int mode, const char* section, const char* key, const char* format, va_list args)) \
  X(15, 51594, HostGetInterfaceVersion, int, ())                                                        \
  X(16, 52256, HostGetTable, HostTable*, (int tableNumber))                                             \
  X(17, 52081, HostRegisterCommand, int, (const PluginCommandRecord* record))                           \
  X(18, 24004, WDialogBaseSlot34, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(19, 24003, WDialogBaseSlot33, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(20, 24002, WDialogBaseSlot32, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(21, 20937, WDialogBaseSlot31, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(22, 20946, WDialogBaseSlot30, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(23, 20945, WDialogBaseSlot29, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(24, 20944, WDialogBaseSlot28, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(25, 20943, WDialogBaseSlot27, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(26, 20942, WDialogBaseSlot26, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(27, 20941, WDialogBaseSlot25, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(28, 20940, WDialogBaseSlot24, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(29, 20939, WDialogBaseSlot23, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(30, 20938, WDialogBaseSlot22, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(31, 20947, WDialogBaseSlot21, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(32, 20956, WDialogBaseSlot20, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(33, 20955, WDialogBaseSlot19, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(34, 20954, WDialogBaseSlot18, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(35, 20953, WDialogBaseSlot17, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(36, 20952, WDialogBaseSlot16, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(37, 20951, WDialogBaseSlot15, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(38, 20950, WDialogBaseSlot14, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(39, 20949, WDialogBaseSlot13, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(40, 20948, WDialogBaseSlot12, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(41, 20957, WDialogBaseSlot11, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(42, 20966, WDialogBaseSlot10, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b)) \
  X(43, 20965, WDialogBaseSlot9, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(44, 20964, WDialogBaseSlot8, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(45, 20963, WDialogBaseSlot7, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(46, 20962, WDialogBaseSlot6, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(47, 20961, WDialogBaseSlot5, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(48, 20960, WDialogBaseSlot4, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(49, 20959, WDialogBaseSlot3, std::intptr_t, (WDialogBase* self, std::intptr_t a, std::intptr_t b))  \
  X(50, 20903, HostDialogBaseDestroy, void, (WDialogBase* self))                                        \
  X(51, 20902, HostDialogBaseConstruct, void, (WDialogBase* self))                                      \
  X(52, 31012, HostDeriveDate, void, (const char* to, char* from, int mode))                            \
  X(53, 52451, HostFieldText, const char*, (char* buffer, int size, const void* value, int fieldType))  \
  X(54, 52087, HostChooserPrepare, void, (int a, int b))                                                \
  X(55, 52278, HostCursorOpen, int, (HostCursor* cursor, HostTable* table, int kind, const void* key, int a, int b)) \
  X(56, 51476, HostQueryMatches, int, (const void* record, HostTable* table))                           \
  X(57, 52289, HostVatConvert, double, (int kind, int vatCode, double value))                           \
  X(58, 32912, HostZipFiles, int, (const char* archive, const char* baseDir, const char* const* files)) \
  X(59, 52305, HostFileClose, int, (HostFile* file))                                                    \
  X(60, 20973, HostHandlerRelease, void, (HandlerBinding* binding))                                     \
  X(61, 20972, HostHandlerBind, void, (HandlerBinding* binding, WDialogBase* object, HostEventEntryFn* entry)) \
  X(62, 51711, HostViewFile, int, (const char* path, const char* options, int a, const char* title, int b, int c, int d)) \
  X(63, 52339, HostGetVatSummary, int, (int kind, VatSummary* summary, void* second, int flags))         \
  X(64, 52279, HostCursorNext, int, (HostCursor* cursor))                                               \
  X(65, 52179, HostRound, double, (double value, int step))                                             \
  X(66, 52041, HostDialogItemRedraw, void, (int item))                                                  \
  X(67, 40404, HostNormalizeText, char*, (char* text))                                                  \
  X(68, 32008, HostFormatDate, char*, (char* out, const char* date))                                    \
  X(69, 22563, HostFileHolderDestroy, void, (HostFileHolder* holder))                                   \
  X(70, 22567, HostFileHolderRelease, HostFile*, (HostFileHolder* holder))                              \
  X(71, 22562, HostFileHolderInit, void, (HostFileHolder* holder, HostFile* file))                      \
  X(72, 30204, HostGetToday, char*, (char* date))                                                       \
  X(73, 52260, HostContractorKey, std::int32_t*, ())                                                    \
  X(74, 38020, HostGetCodePage, std::int32_t*, ())                                                      \
  X(75, 51434, HostPreparePath, int, (const char* path))                                                \
  X(76, 38199, HostExpandPath, int, (char* path, int size))                                             \
  X(77, 51704, HostChooseFile, int, (int a, char* buffer, const char* pattern, int size, int b, int c, int d)) \
  X(78, 22972, HostMarkerDestroy, void, (HostMarker* marker))                                           \
  X(79, 22971, HostMarkerInit, void, (HostMarker* marker))                                              \
  X(80, 22977, HostMarkerCommit, int, (HostMarker* marker))                                             \
  X(81, 22976, HostMarkerAdd, int, (HostMarker* marker, int kind, std::int32_t documentId))             \
  X(82, 52465, HostTableSetMode, int, (HostTable* table, int mode))                                     \
  X(83, 51746, HostDateRangeEvent, int, (int item, int event, int buttonId, int fromId, int toId, int months)) \
  X(84, 52040, HostDialogTransfer, int, (void* block, int toBlock))                                     \
  X(85, 51425, HostQueryPrepare, int, (int kind, HostTable** table, HostQuery* query, std::int32_t documentId)) \
  X(86, 52460, HostCheckBreak, int, ())                                                                 \
  X(87, 50538, HostCursorFree, void, (HostCursor* cursor))                                              \
  X(88, 35385, HostConvertText, int, (char* out, int outSize, const char* text, int length, int fromCodePage, int toCodePage)) \
  X(89, 52015, HostDefaultPath, char*, (char* out, const char* name))                                   \
  X(90, 30908, HostDateCompare, int, (const char* a, const char* b))                                    \
  X(91, 21284, HostAlloc, void*, (std::uint32_t size))                                                  \
  X(92, 52281, HostCursorClose, void, (HostCursor* cursor))                                             \
  X(93, 50532, HostStrAppendN, char*, (char* text, int size, const char* suffix, int flags))            \
  X(94, 52064, HostMessageBoxClose, void, ())                                                           \
  X(95, 52265, HostGetChosenKey, std::int16_t*, ())                                                     \
  X(96, 52056, HostDialogSetTitle, void, (int item, const char* text))                                  \
  X(97, 52311, HostBuildKindKey, char*, (int kind, char* key, const char* a, const char* b, int c))     \
  X(98, 52028, HostMessageBox, int, (const char* title, const char* text, int flags))                   \
  X(99, 37974, HostGetUnattendedFlag, std::int32_t*, ())                                                \
  X(100, 52645, HostSendMail, int, (int a, const char* attachment, int b, const char* subject, int c))  \
  X(101, 52534, HostFileOpen, HostFile*, (const char* path, const char* mode, int share, int a, int b, int c, int d, int e, int f)) \
  X(102, 51750, HostRecodeFile, int, (const char* source, const char* target, int fromCodePage, int toCodePage)) \
  X(103, 52034, HostDialogRedraw, void, (int a, int b, int c))                                          \
  X(104, 21287, HostFree, void, (void* block))                                                          \
  X(105, 24007, HostRunDialog, int, (WDialogBase* object, const void* templates, int templateId, void* data, HostHandler handler, int flags)) \
  X(106, 20927, HostEventEntryDecree, int, (WDialogBase* self, int item, int event))                    \
  X(107, 20936, HostEventEntryMain, int, (WDialogBase* self, int item, int event))                      \
  X(108, 52431, HostStrCompareN, int, (const char* a, const char* b, int n))                            \
  X(109, 52003, HostGetPositionsKind, int, (int kind))                                                  \
  X(110, 52161, HostStrCopyN, char*, (char* out, const char* text, int n))                              \
  X(111, 35804, HostMessageBoxV, int, (int id, const char* title, const char* format, int flags, va_list args)) \
  X(112, 52314, HostVatRate, double, (int vatCode))                                                     \
  X(113, 52033, HostDialogItemBuffer, char*, (int item))                                                \
  X(114, 52352, HostFindContractor, int, (int mode))                                                    \
  X(115, 52338, HostChooseRecord, int, (int a, int b, int view, int c, int d, HostTable* table, int e, int f, const char* filter, int g, int h)) \
  X(116, 52541, HostFilePrintf, int, (HostFile* file, const char* format, ...))                         \
  X(117, 52630, HostConfigureMail, int, (int a, int b, int c))                                          \
  X(118, 52467, HostQueryCheck, int, (const HostQuery* query))                                          \
  X(119, 38511, HostBoundOnly_38511, void, ())                                                          \
  X(120, 52006, HostParseBuildDate, std::int32_t, (const char* text))                                   \
  X(121, 52592, HostRemoveDashes, char*, (char* text))                                                  \
  X(122, 52178, HostRoundToLong, std::int32_t, (double value, int step))                                \
  X(123, 52268, HostBoundOnly_52268, void, ())                                                          \
  X(124, 32108, HostBoundOnly_32108, void, ())                                                          \
  X(125, 21602, HostScopeLeave, void, (ScopeTrace* scope))                                              \
  X(126, 21601, HostScopeEnter, void, (ScopeTrace* scope, const char* name, const void* firstArgument)) \
  X(127, 52512, HostBoundOnly_52512, void, ())                                                          \
  X(128, 52312, HostBoundOnly_52312, void, ())                                                          \
  X(129, 30120, HostDateCompose, void, (char* date, int year, int month, int day, int flags))           \
  X(130, 52267, HostBoundOnly_52267, void, ())                                                          \
  X(131, 30520, HostBoundOnly_30520, void, ())                                                          \
  X(132, 31708, HostDateAddDays, void, (char* date, int days))                                          \
  X(133, 31308, HostBoundOnly_31308, void, ())                                                          \
  X(134, 52133, HostTrimText, char*, (char* text))                                                      \
  X(135, 52156, HostUpperText, char*, (char* text))

inline constexpr int kHostImportCount = 135;

// Function types: HostFilePrintf_fn and so on.
#define VOSTRA_DECLARE_HOST_FN_TYPE(pos, ord, Name, Ret, Params) using Name##_fn = Ret Params;
VOSTRA_HOST_IMPORTS(VOSTRA_DECLARE_HOST_FN_TYPE)
#undef VOSTRA_DECLARE_HOST_FN_TYPE

// Positions and ordinals as constants: kPos_HostFilePrintf, kOrd_HostFilePrintf.
#define VOSTRA_DECLARE_HOST_FN_CONSTS(pos, ord, Name, Ret, Params) \
  inline constexpr int kPos_##Name = pos;                          \
  inline constexpr unsigned kOrd_##Name = ord;
VOSTRA_HOST_IMPORTS(VOSTRA_DECLARE_HOST_FN_CONSTS)
#undef VOSTRA_DECLARE_HOST_FN_CONSTS

namespace host_services_detail {
#define VOSTRA_COUNT_ONE(pos, ord, Name, Ret, Params) +1
inline constexpr int kListed = 0 VOSTRA_HOST_IMPORTS(VOSTRA_COUNT_ONE);
#undef VOSTRA_COUNT_ONE
static_assert(kListed == kHostImportCount);
}  // namespace host_services_detail

// The host side declares every function with C linkage under its own name; a definition with
// another signature fails to compile.
#ifdef VOSTRA_HOST_SIDE
extern "C" {
#define VOSTRA_DECLARE_HOST_FN(pos, ord, Name, Ret, Params) Name##_fn Name;
VOSTRA_HOST_IMPORTS(VOSTRA_DECLARE_HOST_FN)
#undef VOSTRA_DECLARE_HOST_FN
}
#endif
