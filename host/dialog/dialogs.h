// The host's dialogs: the engine's manager, the screen, the main window and the host's own
// windows (choosers, viewer, mail settings, install notice, progress, message boxes).
//
// Dialogs belongs to a Host. The screen is chosen on first use: a key script when
// options.keys is set (no terminal needed; options.screenDump receives the last screen), else
// the terminal when standard input and output are one, else none — then every dialog ends as
// cancelled after a Polish message through host.messages. Windows stack: a nested dialog is
// drawn over the one that opened it; the host functions that act on "the dialog" act on the
// top one. Not thread-safe; everything runs on the host's thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "dialog/dialog.h"
#include "dialog/screen.h"
#include "dialog/template_table.h"
#include "frame/host_services.h"

namespace host::dialog {

// The main window: the menu of the plug-ins' commands; Enter runs one, Esc or q leaves.
// Returns the exit status (0; 2 when there is neither a terminal nor a key script).
int RunMainWindow(Host& host);

// The value of WDialogBase's host word while the object is constructed.
inline constexpr std::uint32_t kDialogObjectAlive = 0x57444C47;

class Dialogs {
 public:
  explicit Dialogs(Host& host);
  ~Dialogs();
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // The screen, opened on first use; null when there is none.
  Screen* screen();
  bool scripted() const { return scripted_; }
  bool mainWindow() const { return mainWindow_; }

  // Runs a template of a plug-in's table (HostRunDialog). Returns the closing item's id, or
  // 0x5002 when the dialog cannot be shown.
  int RunTemplate(WDialogBase* object, const void* table, int templateId, void* data,
                  HostHandler handler, int flags);
  // Runs a template the host built itself, without an object.
  int RunOwnTemplate(const DialogTemplate& t, unsigned char* data, EventHandler handler);

  Dialog* Top();     // the dialog on top, or null
  void Present();    // composes the windows and shows them

  // The windows behind the host functions.
  int RunDialogById(int dialogId, std::int32_t* answer, const char* textMazovia);
  int DateRangeEvent(int item, int event, int buttonId, int fromId, int toId, int months);
  int ChooseFile(char* buffer, const char* pattern, int size);
  int ChooseGoods(HostTable* table, int view);
  std::int16_t* ChosenKey() { return &chosenKey_; }
  void PrepareChooser() { chosenKey_ = 0; }
  int ConfigureMail();
  int ViewFile(const char* pathUtf8, const char* titleMazovia);

  // A list to choose from (UTF-8 lines). Returns the index, or -1 when cancelled. With
  // `typed`, characters go into a line under the list and Enter with a typed text returns -2.
  int RunList(const std::string& titleUtf8, const std::vector<std::string>& lines, int initial,
              std::string* typed = nullptr);
  // A message box on the screen (texts Mazovia with markup). flags 0x200: a notice that stays
  // until CloseNotice or the next box; otherwise it waits for a key.
  int ShowBox(const std::string& titleMazovia, const std::string& textMazovia, int flags);
  void CloseNotice();

  // The progress window of a running command: called before every cursor step.
  void ProgressStep();
  void EndProgress();

 private:
  friend int RunMainWindow(Host& host);
  using Layer = std::function<void(Grid& screen, int& cursorX, int& cursorY)>;
  // Pushes a layer for the lifetime of a window.
  class LayerScope {
   public:
    LayerScope(Dialogs& owner, Layer* layer) : owner_(owner), layer_(layer) {
      owner_.layers_.push_back(layer_);
    }
    ~LayerScope() { owner_.RemoveLayer(layer_); }
    LayerScope(const LayerScope&) = delete;
    LayerScope& operator=(const LayerScope&) = delete;

   private:
    Dialogs& owner_;
    Layer* layer_;
  };
  void RemoveLayer(Layer* layer);
  int RunModal(Dialog& dialog);
  bool ExplainNoScreen(const std::string& whatMazovia);
  void Leave();  // after a top-level window: give the terminal back outside the main window

  Host& host_;
  std::unique_ptr<Screen> screen_;
  bool screenTried_ = false;
  bool scripted_ = false;
  bool mainWindow_ = false;
  std::vector<Layer*> layers_;
  std::vector<Dialog*> dialogs_;
  std::int16_t chosenKey_ = 0;
  // The progress window.
  TemplateTable lastTable_;
  bool progressShown_ = false;
  long progressSteps_ = 0;
  std::int64_t progressDrawnAt_ = 0;
  std::unique_ptr<Dialog> progress_;
  DialogTemplate progressTemplate_;
  // A notice (0x200) that stays up.
  std::unique_ptr<Layer> notice_;
};

}  // namespace host::dialog
