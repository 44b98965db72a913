#include "dialog/dialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>

#include "app/plugins.h"
#include "core/encoding.h"
#include "format/codepage.h"
#include "services/mail.h"
#include "services/markup.h"
#include "store/store.h"

namespace host::dialog {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxListLines = 20000;
constexpr std::uintmax_t kMaxViewBytes = 16u << 20;

std::string Mz(std::string_view utf8) {
  std::string out;
  if (!Utf8ToMazovia(utf8, out)) {
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
      const std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
      const int b = cp < 0 ? -1 : codepage::UnicodeToMazovia(cp);
      out += b < 0 ? '?' : static_cast<char>(b);
    }
  }
  return out;
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void DrawCentered(Grid& screen, const Grid& window, int& cursorX, int& cursorY, int wx, int wy) {
  const int x = std::max(0, (screen.width() - window.width()) / 2);
  const int y = std::max(0, (screen.height() - window.height()) / 2);
  screen.Blit(window, x, y);
  if (wx >= 0) {
    cursorX = x + wx;
    cursorY = y + wy;
  } else {
    cursorX = cursorY = -1;
  }
}

// A window with a double border and a caption, for the host's own boxes.
void FrameWindow(Grid& window, int width, int height, const std::string& titleUtf8) {
  window.Resize(width, height);
  window.Fill(Cell{U' ', kAttrNormal});
  window.Box(0, 0, width, height, true, kAttrBorder);
  if (!titleUtf8.empty()) {
    const std::string caption = " " + titleUtf8 + " ";
    int length = 0;
    for (std::size_t i = 0; i < caption.size();) {
      codepage::DecodeUtf8(caption.data(), caption.size(), i);
      ++length;
    }
    window.PutUtf8(std::max(1, (width - length) / 2), 0, caption, kAttrTitle, width - 2);
  }
}

int Utf8Width(const std::string& text) {
  int n = 0;
  for (std::size_t i = 0; i < text.size();) {
    codepage::DecodeUtf8(text.data(), text.size(), i);
    ++n;
  }
  return n;
}

// A line of the viewer: tabs become blanks up to the next multiple of four columns.
std::string ExpandTabs(const std::string& utf8) {
  std::string out;
  int column = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
    if (cp == '\t') {
      do {
        out += ' ';
        ++column;
      } while (column % 4 != 0);
      continue;
    }
    out.append(utf8, start, i - start);
    ++column;
  }
  return out;
}

// Today as YYYYMMDD: the host's --today or the system clock.
std::string Today(const Host& host) {
  if (host.options.today.size() == 8) return host.options.today;
  const auto now = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  const std::chrono::year_month_day ymd(now);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

bool ParseStored(const char* text, std::chrono::year_month_day& out) {
  if (text == nullptr || std::strlen(text) != 8) return false;
  for (int i = 0; i < 8; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  const int y = std::atoi(std::string(text, 4).c_str());
  const unsigned m = static_cast<unsigned>(std::atoi(std::string(text + 4, 2).c_str()));
  const unsigned d = static_cast<unsigned>(std::atoi(std::string(text + 6, 2).c_str()));
  out = std::chrono::year_month_day(std::chrono::year(y), std::chrono::month(m), std::chrono::day(d));
  return out.ok();
}

void WriteStored(char* buffer, const std::chrono::year_month_day& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  std::memcpy(buffer, text, 9);
}

// The processing window when no plug-in table has one: the same frame and line.
DialogTemplate BuiltInProgress() {
  DialogTemplate t;
  t.id = 20140;
  t.flags = 0x4008;
  t.width = 48;
  t.height = 5;
  t.caption = Mz("Przetwarzanie");
  TemplateItem frame;
  frame.type = kFrame;
  frame.column = 3, frame.row = 1, frame.width = 42, frame.height = 3, frame.extra = 3;
  TemplateItem line;
  line.type = kDisplayLine;
  line.id = 0x4003;
  line.column = 4, line.row = 2, line.width = 40, line.height = 1;
  t.items = {frame, line};
  BindTemplate(t);
  return t;
}

// Lays a markup text out into lines of cells: tab stops, right-aligned stops, centred rests
// and the emphasis bytes as attributes.
std::vector<std::vector<Cell>> LayoutMarkup(const std::string& mazovia) {
  std::vector<std::vector<Cell>> out;
  for (const services::MarkupLine& line : services::ParseMarkup(mazovia)) {
    std::vector<Cell> cells;
    int centreAt = -1;
    for (std::size_t r = 0; r < line.runs.size(); ++r) {
      if (static_cast<int>(r) == line.centreFrom) centreAt = static_cast<int>(cells.size());
      const services::MarkupRun& run = line.runs[r];
      if (run.tab) {
        const int column = static_cast<int>(cells.size());
        const services::MarkupTabStop* stop = nullptr;
        for (const services::MarkupTabStop& s : line.tabStops)
          if (s.column > column) {
            stop = &s;
            break;
          }
        if (stop == nullptr) {
          cells.push_back(Cell{U' ', kAttrNormal});
          continue;
        }
        int target = stop->column;
        if (stop->rightAligned) {
          // The text up to the next tab ends just before the stop.
          int length = 0;
          for (std::size_t k = r + 1; k < line.runs.size() && !line.runs[k].tab; ++k)
            length += static_cast<int>(line.runs[k].text.size());
          target = std::max(column, stop->column - length);
        }
        while (static_cast<int>(cells.size()) < target) cells.push_back(Cell{U' ', kAttrNormal});
        continue;
      }
      for (unsigned char byte : run.text)
        cells.push_back(Cell{static_cast<char32_t>(codepage::MazoviaToUnicode(byte)),
                             static_cast<std::uint8_t>(run.attribute)});
    }
    if (centreAt >= 0) cells.insert(cells.begin(), Cell{U'\x01', kAttrNormal});  // marker
    out.push_back(std::move(cells));
  }
  return out;
}

}  // namespace

void Dialogs::RemoveLayer(Layer* layer) {
  auto it = std::find(layers_.begin(), layers_.end(), layer);
  if (it != layers_.end()) layers_.erase(it);
}

Dialogs::Dialogs(Host& host) : host_(host) {
  progressTemplate_ = BuiltInProgress();
  host_.pollUi = [this] { ProgressStep(); };
}

Dialogs::~Dialogs() { host_.pollUi = nullptr; }

Screen* Dialogs::screen() {
  if (screenTried_) return screen_.get();
  screenTried_ = true;
  if (!host_.options.keys.empty()) {
    std::deque<Key> keys;
    std::string error;
    if (!ParseKeyScript(host_.options.keys, keys, &error)) {
      if (host_.messages) host_.messages->ShowError(Mz(error));
      return nullptr;
    }
    screen_ = std::make_unique<ScriptScreen>(std::move(keys), host_.options.screenDump);
    scripted_ = true;
  } else {
    screen_ = OpenTerminalScreen();
  }
  return screen_.get();
}

bool Dialogs::ExplainNoScreen(const std::string& whatMazovia) {
  if (screen() != nullptr) return false;
  if (host_.messages)
    host_.messages->ShowError(
        Mz("Nie można pokazać okna \"") + whatMazovia +
        Mz("\": program nie działa w terminalu, a nie podano skryptu klawiszy (--keys). "
           "Okno zostaje zamknięte jak po \"Anuluj\"."));
  return true;
}

void Dialogs::Leave() {
  if (layers_.empty() && !mainWindow_ && screen_) screen_->Suspend();
}

Dialog* Dialogs::Top() { return dialogs_.empty() ? nullptr : dialogs_.back(); }

void Dialogs::Present() {
  Screen* s = screen_.get();
  if (s == nullptr) return;
  Grid grid(s->width(), s->height());
  int cx = -1, cy = -1;
  for (Layer* layer : layers_) (*layer)(grid, cx, cy);
  if (notice_) (*notice_)(grid, cx, cy);
  if (progressShown_ && progress_) {
    Grid window;
    progress_->Render(window);
    int px, py;
    DrawCentered(grid, window, px, py, -1, -1);
  }
  s->Present(grid, cx, cy);
}

int Dialogs::RunModal(Dialog& dialog) {
  EndProgress();
  CloseNotice();
  Grid window;
  Layer layer = [&dialog, &window](Grid& grid, int& cx, int& cy) {
    dialog.Render(window);
    DrawCentered(grid, window, cx, cy, dialog.cursorX(), dialog.cursorY());
  };
  LayerScope scope(*this, &layer);
  dialogs_.push_back(&dialog);
  dialog.Open();
  while (!dialog.closed()) {
    Present();
    dialog.HandleKey(screen_->ReadKey());
  }
  dialogs_.pop_back();
  return dialog.result();
}

int Dialogs::RunTemplate(WDialogBase* object, const void* table, int templateId, void* data,
                         HostHandler handler, int flags) {
  (void)flags;
  TemplateLimits limits;
  const auto* bytes = static_cast<const unsigned char*>(table);
  std::string error;
  if (bytes == nullptr) {
    if (host_.messages) host_.messages->ShowError(Mz("Brak tablicy szablonów okien."));
    return kIdCancel;
  }
  std::uint32_t length;
  std::memcpy(&length, bytes, 4);
  if (length > limits.maxTableBytes) {
    if (host_.messages) host_.messages->ShowError(Mz("Tablica szablonów okien jest za długa."));
    return kIdCancel;
  }
  TemplateTable parsed;
  if (!parsed.Parse(bytes, 4 + static_cast<std::size_t>(length), limits, &error)) {
    if (host_.messages) host_.messages->ShowError(Mz(error));
    return kIdCancel;
  }
  const DialogTemplate* t = parsed.Find(templateId);
  if (t == nullptr) {
    if (host_.messages)
      host_.messages->ShowError(Mz("Brak szablonu okna nr " + std::to_string(templateId) + "."));
    return kIdCancel;
  }
  if (object != nullptr && object->hostWord != kDialogObjectAlive) {
    if (host_.messages)
      host_.messages->ShowError(Mz("Obiekt okna nie został utworzony przez program."));
    return kIdCancel;
  }
  if (const DialogTemplate* progress = parsed.Find(20140)) {
    EndProgress();
    progressTemplate_ = *progress;
  }
  if (ExplainNoScreen(t->caption)) return kIdCancel;

  EventHandler events;
  if (handler != nullptr) {
    auto** bound = static_cast<void**>(handler);
    if (bound[0] != reinterpret_cast<void*>(kDialogObjectAlive)) {
      if (host_.messages) host_.messages->ShowError(Mz("Nieprawidłowa obsługa zdarzeń okna."));
      return kIdCancel;
    }
    auto* target = static_cast<WDialogBase*>(bound[1]);
    auto* entry = reinterpret_cast<HostEventEntryFn*>(bound[2]);
    events = [target, entry](int item, int event) { return entry(target, item, event); };
  }
  auto slot = [object](int s, std::intptr_t a) -> std::intptr_t {
    auto* fn = reinterpret_cast<WDialogSlotFn*>(object->vtable[s]);
    return fn(object, a, 0);
  };
  Dialog dialog(*t, static_cast<unsigned char*>(data), events);
  if (object != nullptr) {
    dialog.mayClose = [slot](int result) { return slot(3, result) != 0; };
    slot(4, templateId);  // before the dialog shows
  }
  const int result = RunModal(dialog);
  if (object != nullptr) slot(5, result);  // after it closed
  Leave();
  return result;
}

int Dialogs::RunOwnTemplate(const DialogTemplate& t, unsigned char* data, EventHandler handler) {
  if (ExplainNoScreen(t.caption)) return kIdCancel;
  Dialog dialog(t, data, std::move(handler));
  const int result = RunModal(dialog);
  Leave();
  return result;
}

// --- Date range ---------------------------------------------------------------------------

int Dialogs::DateRangeEvent(int item, int event, int buttonId, int fromId, int toId, int months) {
  Dialog* d = Top();
  if (d == nullptr || months < 1) return -1;
  const bool toggle = event == kEventPressed && item == buttonId;
  const bool step = event == kEventStepForward || event == kEventStepBack;
  if (!toggle && !step) return -1;
  char* fromText = d->ItemBuffer(fromId);
  char* toText = d->ItemBuffer(toId);
  if (fromText == nullptr || toText == nullptr) return -1;
  using namespace std::chrono;
  year_month_day from, to;
  if (!ParseStored(fromText, from)) {
    const std::string today = Today(host_);
    if (!ParseStored(today.c_str(), from)) return -1;
  }
  if (!ParseStored(toText, to) || sys_days(to) < sys_days(from)) to = from;
  const year_month_day monthEnd = from.year() / from.month() / last;
  const bool wholeMonth = from.day() == day(1) && to == monthEnd;
  if (toggle) {
    if (from == to) {
      from = from.year() / from.month() / day(1);
      to = from.year() / from.month() / last;
    } else {
      to = from;
    }
  } else {
    const int direction = event == kEventStepForward ? 1 : -1;
    if (wholeMonth) {
      // A month step; `months` months make a year.
      int index = static_cast<int>(static_cast<unsigned>(from.month())) - 1 + direction;
      int year = static_cast<int>(from.year());
      if (index < 0) index += months, --year;
      if (index >= months) index -= months, ++year;
      from = year_month_day(std::chrono::year(year), month(static_cast<unsigned>(index % 12 + 1)), day(1));
      to = from.year() / from.month() / last;
    } else {
      const days length = sys_days(to) - sys_days(from) + days(1);
      from = year_month_day(sys_days(from) + direction * length);
      to = year_month_day(sys_days(to) + direction * length);
    }
  }
  WriteStored(fromText, from);
  WriteStored(toText, to);
  d->Refresh();
  return 0;
}

// --- Lists, choosers, viewer ----------------------------------------------------------------

int Dialogs::RunList(const std::string& titleUtf8, const std::vector<std::string>& lines,
                     int initial, std::string* typed) {
  if (ExplainNoScreen(Mz(titleUtf8))) return -1;
  EndProgress();
  int selected = lines.empty() ? -1 : std::clamp(initial, 0, static_cast<int>(lines.size()) - 1);
  int top = 0;
  std::string search;
  std::string entry;
  Layer layer = [&](Grid& grid, int& cx, int& cy) {
    int widest = Utf8Width(titleUtf8) + 4;
    for (const std::string& line : lines) widest = std::max(widest, Utf8Width(line) + 4);
    const int width = std::clamp(widest, 30, std::max(30, grid.width() - 4));
    const int rows = std::clamp(static_cast<int>(lines.size()), 1, std::max(1, grid.height() - 8));
    const int height = rows + 2 + (typed ? 2 : 0);
    if (selected >= 0) {
      if (selected < top) top = selected;
      if (selected >= top + rows) top = selected - rows + 1;
    }
    Grid window;
    FrameWindow(window, width, height, titleUtf8);
    for (int r = 0; r < rows && top + r < static_cast<int>(lines.size()); ++r) {
      const int i = top + r;
      const std::uint8_t attr = i == selected ? kAttrFocus : kAttrNormal;
      for (int x = 1; x < width - 1; ++x) window.Put(x, 1 + r, U' ', attr);
      window.PutUtf8(2, 1 + r, lines[i], attr, width - 4);
    }
    if (lines.empty()) window.PutUtf8(2, 1, "(pusto)", kAttrNormal, width - 4);
    int wx = -1, wy = -1;
    if (typed) {
      window.PutUtf8(2, height - 2, "Nazwa: " + entry, kAttrField, width - 4);
      wx = std::min(width - 2, 2 + 7 + Utf8Width(entry));
      wy = height - 2;
    }
    DrawCentered(grid, window, cx, cy, wx, wy);
  };
  LayerScope scope(*this, &layer);
  for (;;) {
    Present();
    const Key key = screen_->ReadKey();
    const int count = static_cast<int>(lines.size());
    switch (key.code) {
      case KeyCode::kNone:
      case KeyCode::kEsc:
        Leave();
        return -1;
      case KeyCode::kEnter:
        if (typed && !entry.empty()) {
          *typed = entry;
          Leave();
          return -2;
        }
        if (selected >= 0) {
          Leave();
          return selected;
        }
        break;
      case KeyCode::kDown: if (selected + 1 < count) ++selected; break;
      case KeyCode::kUp: if (selected > 0) --selected; break;
      case KeyCode::kPageDown: selected = std::min(count - 1, selected + 10); break;
      case KeyCode::kPageUp: selected = std::max(count > 0 ? 0 : -1, selected - 10); break;
      case KeyCode::kHome: selected = count > 0 ? 0 : -1; break;
      case KeyCode::kEnd: selected = count - 1; break;
      case KeyCode::kBackspace:
        if (typed && !entry.empty()) {
          std::size_t cut = entry.size() - 1;
          while (cut > 0 && (static_cast<unsigned char>(entry[cut]) & 0xC0) == 0x80) --cut;
          entry.erase(cut);
        }
        search.clear();
        break;
      case KeyCode::kChar: {
        char buffer[4];
        const std::string text(buffer, codepage::EncodeUtf8(static_cast<std::int32_t>(key.ch), buffer));
        if (typed) {
          entry += text;
          break;
        }
        // Typing jumps to the first line that starts with what was typed.
        search += text;
        for (int i = 0; i < count; ++i) {
          std::string head = lines[i].substr(0, search.size());
          std::string a = head, b = search;
          std::transform(a.begin(), a.end(), a.begin(), ::tolower);
          std::transform(b.begin(), b.end(), b.begin(), ::tolower);
          if (a == b) {
            selected = i;
            break;
          }
        }
        break;
      }
      default:
        break;
    }
  }
}

int Dialogs::ChooseFile(char* buffer, const char* pattern, int size) {
  if (buffer == nullptr || size <= 1) return -1;
  const std::string current = MazoviaToUtf8(std::string(buffer, strnlen(buffer, static_cast<std::size_t>(size))));
  std::error_code ec;
  fs::path folder = current.empty() ? fs::path() : fs::path(current).parent_path();
  if (folder.empty() || !fs::is_directory(folder, ec)) folder = host_.options.exportDir;
  if (folder.empty()) folder = fs::current_path(ec);
  const std::string patternUtf8 = MazoviaToUtf8(pattern ? pattern : "*");
  for (;;) {
    std::vector<std::string> dirs, files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (dirs.size() + files.size() >= kMaxListLines) break;
      const std::string name = it->path().filename().string();
      if (it->is_directory(ec)) dirs.push_back(name);
      else if (fnmatch(patternUtf8.c_str(), name.c_str(), FNM_CASEFOLD) == 0) files.push_back(name);
    }
    std::sort(dirs.begin(), dirs.end());
    std::sort(files.begin(), files.end());
    std::vector<std::string> lines;
    lines.push_back("[..]");
    for (const std::string& d : dirs) lines.push_back("[" + d + "]");
    for (const std::string& f : files) lines.push_back(f);
    std::string typed;
    const int initial = files.empty() ? 0 : static_cast<int>(1 + dirs.size());
    const int chosen = RunList("Wybierz plik: " + folder.string(), lines, initial, &typed);
    if (chosen == -1) return -1;
    fs::path picked;
    if (chosen == -2) {
      picked = fs::path(typed).is_absolute() ? fs::path(typed) : folder / typed;
      if (fs::is_directory(picked, ec)) {
        folder = picked;
        continue;
      }
    } else if (chosen == 0) {
      folder = folder.parent_path().empty() ? folder : folder.parent_path();
      continue;
    } else if (chosen <= static_cast<int>(dirs.size())) {
      folder /= dirs[static_cast<std::size_t>(chosen - 1)];
      continue;
    } else {
      picked = folder / files[static_cast<std::size_t>(chosen - 1) - dirs.size()];
    }
    std::string mazovia;
    if (!Utf8ToMazovia(picked.lexically_normal().string(), mazovia)) {
      ShowBox(Mz("Uwaga"), Mz("Nazwa pliku zawiera znaki, których program nie obsługuje."), 1);
      continue;
    }
    if (mazovia.size() + 1 > static_cast<std::size_t>(size)) {
      ShowBox(Mz("Uwaga"), Mz("Ścieżka pliku jest za długa (najwyżej " + std::to_string(size - 1) +
                               " znaków)."), 1);
      continue;
    }
    std::memcpy(buffer, mazovia.c_str(), mazovia.size() + 1);
    return 0;
  }
}

int Dialogs::ChooseGoods(HostTable* table, int view) {
  if (table == nullptr || table->number != 49 || view != 147 || !host_.store) return -1;
  const std::vector<store::GoodsEntry> goods = host_.store->ListGoods();
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < goods.size() && i < kMaxListLines; ++i) lines.push_back(goods[i].name);
  const int chosen = RunList("Towary", lines, 0);
  if (chosen < 0) return -1;
  const store::GoodsEntry& entry = goods[static_cast<std::size_t>(chosen)];
  if (!host_.store->LoadGoodsRecord(entry.key)) return -1;
  chosenKey_ = static_cast<std::int16_t>(entry.key);
  return chosen;
}

int Dialogs::ViewFile(const char* pathUtf8, const char* titleMazovia) {
  const std::string path = pathUtf8 ? pathUtf8 : "";
  const std::string title = MazoviaToUtf8(titleMazovia ? titleMazovia : "");
  if (!mainWindow_ || screen() == nullptr) {
    std::fprintf(stderr, "%s: %s\n", title.empty() ? "Podgląd pliku" : title.c_str(), path.c_str());
    return 1;
  }
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) {
    ShowBox(Mz("Uwaga"), Mz("Nie można otworzyć pliku " + path + "."), 1);
    return 0;
  }
  std::string bytes(static_cast<std::size_t>(std::min(size, kMaxViewBytes)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  // The export file is Windows-1250; anything that is valid UTF-8 is shown as such.
  std::string text;
  bool utf8 = true;
  for (std::size_t i = 0; i < bytes.size() && utf8;)
    utf8 = codepage::DecodeUtf8(bytes.data(), bytes.size(), i) >= 0;
  if (utf8) text = bytes;
  else if (!ConvertCodePage(bytes, 3, 5, text)) text = MazoviaToUtf8(bytes);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size() && lines.size() < 1000000;) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(ExpandTabs(line));
    if (nl == text.size()) break;
    start = nl + 1;
  }
  int top = 0;
  Layer layer = [&](Grid& grid, int& cx, int& cy) {
    const int width = grid.width();
    const int height = grid.height();
    Grid window;
    FrameWindow(window, width, height, title + " — " + path);
    for (int r = 0; r < height - 3 && top + r < static_cast<int>(lines.size()); ++r)
      window.PutUtf8(1, 1 + r, lines[static_cast<std::size_t>(top + r)], kAttrNormal, width - 2);
    window.PutUtf8(2, height - 2, "Strzałki, PgUp/PgDn – przewijanie   Esc – koniec", kAttrControl5, width - 4);
    DrawCentered(grid, window, cx, cy, -1, -1);
  };
  LayerScope scope(*this, &layer);
  for (;;) {
    Present();
    const int page = std::max(1, screen_->height() - 3);
    const int maxTop = std::max(0, static_cast<int>(lines.size()) - page);
    const Key key = screen_->ReadKey();
    switch (key.code) {
      case KeyCode::kNone:
      case KeyCode::kEsc:
      case KeyCode::kEnter:
        return 1;
      case KeyCode::kDown: top = std::min(maxTop, top + 1); break;
      case KeyCode::kUp: top = std::max(0, top - 1); break;
      case KeyCode::kPageDown: top = std::min(maxTop, top + page); break;
      case KeyCode::kPageUp: top = std::max(0, top - page); break;
      case KeyCode::kHome: top = 0; break;
      case KeyCode::kEnd: top = maxTop; break;
      case KeyCode::kChar:
        if (key.ch == U'q') return 1;
        break;
      default:
        break;
    }
  }
}

// --- Message boxes, install notice, mail settings ------------------------------------------

int Dialogs::ShowBox(const std::string& titleMazovia, const std::string& textMazovia, int flags) {
  if (screen() == nullptr) return 0;
  EndProgress();
  const std::vector<std::vector<Cell>> lines = LayoutMarkup(textMazovia);
  const std::string title = MazoviaToUtf8(titleMazovia);
  const bool waits = (flags & 0x200) == 0;
  auto draw = [lines, title, waits](Grid& grid, int& cx, int& cy) {
    int widest = Utf8Width(title) + 4;
    for (const auto& line : lines) widest = std::max(widest, static_cast<int>(line.size()) + 4);
    const int width = std::min(widest, std::max(20, grid.width() - 2));
    const int height = std::min(static_cast<int>(lines.size()) + (waits ? 4 : 2), std::max(3, grid.height() - 2));
    Grid window;
    FrameWindow(window, width, height, title);
    for (std::size_t r = 0; r < lines.size() && static_cast<int>(r) < height - 2; ++r) {
      const auto& line = lines[r];
      const bool centred = !line.empty() && line[0].ch == U'\x01';
      const int length = static_cast<int>(line.size()) - (centred ? 1 : 0);
      const int x = centred ? std::max(2, (width - length) / 2) : 2;
      for (int k = 0; k < length; ++k) {
        const Cell& cell = line[static_cast<std::size_t>(k + (centred ? 1 : 0))];
        if (x + k < width - 1) window.Put(x + k, 1 + static_cast<int>(r), cell.ch, cell.attr);
      }
    }
    if (waits) window.PutUtf8(std::max(1, (width - 6) / 2), height - 2, "[ OK ]", kAttrFocus, width - 2);
    DrawCentered(grid, window, cx, cy, -1, -1);
  };
  if (!waits) {
    notice_ = std::make_unique<Layer>(draw);
    Present();
    return 1;
  }
  CloseNotice();
  Layer layer = draw;
  LayerScope scope(*this, &layer);
  Present();
  screen_->ReadKey();  // any key closes the box; a script that ran out too
  Leave();
  return 1;
}

void Dialogs::CloseNotice() { notice_.reset(); }

int Dialogs::RunDialogById(int dialogId, std::int32_t* answer, const char* textMazovia) {
  const std::string text = textMazovia ? textMazovia : "";
  if (dialogId != 1668) {
    if (host_.messages)
      host_.messages->ShowError(Mz("Program nie zna okna nr " + std::to_string(dialogId) + "."));
    return kIdCancel;
  }
  if (!mainWindow_ || screen() == nullptr) {
    // On the command line the notice is printed once and counts as seen.
    if (host_.messages) host_.messages->Show(Mz("Informacja"), text, 0);
    if (answer) *answer = 1;
    return kIdOk;
  }
  // A box with the text, the box "Nie pokazuj więcej" and OK.
  DialogTemplate t;
  t.id = 1668;
  t.caption = Mz("Informacja");
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  int widest = 30;
  for (const std::string& line : lines) widest = std::max(widest, static_cast<int>(line.size()));
  t.width = static_cast<std::uint16_t>(std::min(widest + 6, 96));
  t.height = static_cast<std::uint16_t>(lines.size() + 6);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    TemplateItem line;
    line.type = kStaticText;
    line.column = 3, line.row = static_cast<std::int16_t>(1 + i);
    line.width = static_cast<std::int16_t>(t.width - 6), line.height = 1;
    line.text = lines[i];
    t.items.push_back(line);
  }
  TemplateItem box;
  box.type = kCheckBox;
  box.id = 1;
  box.column = 3, box.row = static_cast<std::int16_t>(lines.size() + 2);
  box.width = 30, box.height = 1;
  box.text = Mz("~N~ie pokazuj więcej");
  t.items.push_back(box);
  TemplateItem ok;
  ok.type = kButton;
  ok.id = kIdOk;
  ok.hotKey = 0x8600;
  ok.column = static_cast<std::int16_t>(t.width / 2 - 4), ok.row = static_cast<std::int16_t>(lines.size() + 4);
  ok.width = 8, ok.height = 1;
  ok.text = "OK";
  t.items.push_back(ok);
  BindTemplate(t);
  std::vector<unsigned char> data(t.dataSize, 0);
  const int result = RunOwnTemplate(t, data.data(), nullptr);
  if (answer) *answer = (data[box.dataOffset] & 1) ? 1 : 0;
  return result;
}

int Dialogs::ConfigureMail() {
  services::MailSettings settings = services::LoadMailSettings(host_);
  struct Field {
    const char* label;
    std::string* value;
    std::uint16_t length;
    bool secret;
  };
  Field fields[] = {
      {"Folder wysyłki:", &settings.outboxDir, 120, false},
      {"Serwer SMTP:", &settings.smtpUrl, 120, false},
      {"Nadawca:", &settings.sender, 80, false},
      {"Odbiorca:", &settings.recipient, 120, false},
      {"Login:", &settings.login, 60, false},
      {"Hasło:", &settings.password, 60, true},
  };
  DialogTemplate t;
  t.id = 0x4400;
  t.caption = Mz("Konfiguracja poczty e-mail");
  t.width = 72;
  t.height = 14;
  auto add = [&t](std::uint16_t type, int id, int col, int row, int width, std::string text) {
    TemplateItem item;
    item.type = type;
    item.id = static_cast<std::uint16_t>(id);
    item.column = static_cast<std::int16_t>(col), item.row = static_cast<std::int16_t>(row);
    item.width = static_cast<std::int16_t>(width), item.height = 1;
    item.text = std::move(text);
    t.items.push_back(item);
    return t.items.size() - 1;
  };
  add(kStaticText, kNoId, 3, 2, 16, Mz("Sposób wysyłki:"));
  const std::size_t transport = add(kChoiceList, 0x100, 20, 2, 30, Mz(" folder (pliki .eml)\n SMTP\n"));
  std::vector<std::size_t> edits;
  for (int i = 0; i < 6; ++i) {
    add(kStaticText, kNoId, 3, 3 + i, 16, Mz(fields[i].label));
    const std::size_t e = add(kEditField, 0x101 + i, 20, 3 + i, 48, "");
    t.items[e].maxLength = fields[i].length;
    t.items[e].editKind = kEditKindText;
    if (fields[i].secret) t.items[e].flags = kItemFlagSecret;
    edits.push_back(e);
  }
  add(kButton, kIdOk, 20, 11, 10, "\x05" "F12" "\x01" " OK");
  add(kButton, kIdCancel, 36, 11, 10, Mz("~A~nuluj"));
  t.items.back().hotKey = 'A';
  BindTemplate(t);
  std::vector<unsigned char> data(t.dataSize, 0);
  const std::int16_t smtp = settings.transport == "smtp" ? 1 : 0;
  std::memcpy(&data[t.items[transport].dataOffset], &smtp, 2);
  std::vector<std::string> shown;
  for (int i = 0; i < 6; ++i) {
    std::string text = Mz(*fields[i].value);
    if (text.size() > fields[i].length) text.resize(fields[i].length);
    shown.push_back(text);
    std::memcpy(&data[t.items[edits[i]].dataOffset], text.data(), text.size());
  }
  const int result = RunOwnTemplate(t, data.data(), nullptr);
  if (result != kIdOk) return 0;
  std::int16_t chosen;
  std::memcpy(&chosen, &data[t.items[transport].dataOffset], 2);
  settings.transport = chosen == 1 ? "smtp" : "outbox";
  for (int i = 0; i < 6; ++i) {
    const char* value = reinterpret_cast<const char*>(&data[t.items[edits[i]].dataOffset]);
    const std::string edited(value, strnlen(value, fields[i].length + 1u));
    // A value that was not touched keeps its exact original (it may hold characters beyond
    // the dialog's code page).
    if (edited != shown[static_cast<std::size_t>(i)]) *fields[i].value = MazoviaToUtf8(edited);
  }
  std::string error;
  if (!services::SaveMailSettings(host_, settings, &error)) {
    ShowBox(Mz("Uwaga"), Mz(error), 1);
    return 0;
  }
  return 1;
}

// --- Progress -----------------------------------------------------------------------------

void Dialogs::ProgressStep() {
  if (!screen_ || (!mainWindow_ && !scripted_)) return;
  ++progressSteps_;
  if (!progressShown_) {
    progress_ = std::make_unique<Dialog>(progressTemplate_, nullptr, nullptr);
    progress_->Open();
    progressShown_ = true;
    progressDrawnAt_ = 0;
  }
  Key key;
  while (screen_->PollKey(key))
    if (key.code == KeyCode::kEsc) host_.breakRequested.store(1);
  const std::int64_t now = NowMs();
  if (now - progressDrawnAt_ < 100 && progressSteps_ > 1) return;
  progressDrawnAt_ = now;
  progress_->SetTitle(0x4003, Mz("Przetworzono kroków: " + std::to_string(progressSteps_) +
                                  "   (Esc - przerwij)"));
  Present();
}

void Dialogs::EndProgress() {
  progressShown_ = false;
  progressSteps_ = 0;
  progress_.reset();
}

}  // namespace host::dialog
