// A plug-in module for the host's tests. It exports the three NPAPI functions and a
// registration record, writes every call it gets to a log (TESTPLUGIN_LOG), paints
// its window in a colour of its instance, checks that the stream's blocks add up to
// the file, and on a right click asks the menu, save and print questions through
// the framework's CMenu, CFileDialog and CPrintDialog, as the real plug-in does.
//
// Its answers come from the environment, so one module serves every test:
//   TESTPLUGIN_INIT_ERROR=N    NP_Initialize returns N
//   TESTPLUGIN_STREAM_TYPE=N   NPP_NewStream asks for stream type N (default NP_ASFILE)
//   TESTPLUGIN_WRITE_READY=N   NPP_WriteReady answers N (default 0x0FFFFFFF)
//   TESTPLUGIN_LEAK=1          NPP_Destroy keeps the instance record
//   TESTPLUGIN_SCROLLBARS=1    the window shows both scroll bars
//   TESTPLUGIN_LAZY_PAINT=1    WM_PAINT is ignored, so the window never stops asking
//
// Built three times: TESTPLUGIN.DLL (image/jpeg and image/tiff), JPEGPLUGIN.DLL
// (image/jpeg only) and NORECORD.DLL (no registration record).
#include <afxdlgs.h>
#include <npupp.h>
#include <platform/versioninfo.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#ifndef TESTPLUGIN_NO_RECORD
PLATFORM_VERSION_INFO(0x0409, 1252, 1, 0, 0, 1, {"MIMEType", TESTPLUGIN_MIME_TYPES},
                      {"FileExtents", "jpg|tif"}, {"FileDescription", "Test plug-in"},
                      {"OriginalFilename", TESTPLUGIN_FILE_NAME});
#endif

namespace {

constexpr UINT kViewCommand = 1000;
constexpr UINT kSaveCommand = 1002;
constexpr UINT kPrintCommand = 1003;
constexpr UINT kAboutCommand = 1004;
constexpr char kAboutText[] = "About Test\xAE Plug-in...";

NPNetscapeFuncs* g_browser = nullptr;
int g_instances = 0;

struct State {
  int number = 0;
  HWND hwnd = nullptr;
  WNDPROC previous = nullptr;
  std::string file;
  std::string received;  // every byte NPP_Write was given, in order
  bool contiguous = true;
};

// What the plug-in keeps in the browser's memory, as the real plug-in does.
struct Record {
  State* state;
};

std::map<HWND, State*> g_windows;

long EnvNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::strtol(value, nullptr, 0) : fallback;
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
  const char* path = std::getenv("TESTPLUGIN_LOG");
  if (path == nullptr) return;
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

State* StateOf(NPP instance) {
  if (instance == nullptr || instance->pdata == nullptr) return nullptr;
  return static_cast<Record*>(instance->pdata)->state;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsTiff(const std::string& file) {
  const std::string name = BaseName(file);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && _strnicmp(name.c_str() + dot, ".tif", 4) == 0;
}

// One pixel of the instance's colour, stretched over rect.
void Fill(HDC dc, int number, const RECT& rect) {
  static const BYTE kColours[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};  // BGR
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 1;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  BYTE pixel[4] = {0, 0, 0, 0};
  const BYTE* colour = kColours[(number - 1) % 4];
  pixel[0] = colour[0];
  pixel[1] = colour[1];
  pixel[2] = colour[2];
  StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, 1, 1,
                pixel, &info, DIB_RGB_COLORS, SRCCOPY);
}

void Save(State& state) {
  const bool tiff = IsTiff(state.file);
  const std::string base = WithoutExtension(BaseName(state.file));
  CFileDialog dialog(FALSE, tiff ? "TIF" : "JPG", base.c_str(),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     tiff ? "TIFF (*.TIF)|*.TIF||" : "JPEG (*.JPG)|*.JPG||");
  if (dialog.DoModal() != IDOK) {
    Log("#%d save cancelled", state.number);
    return;
  }
  const BOOL copied = CopyFileA(state.file.c_str(), dialog.GetPathName(), FALSE);
  Log("#%d saved %s copied=%d", state.number, static_cast<LPCTSTR>(dialog.GetPathName()), copied);
}

void PrintImage(State& state) {
  CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS |
                                 PD_HIDEPRINTTOFILE | PD_NOSELECTION);
  if (dialog.DoModal() != IDOK) {
    Log("#%d print cancelled", state.number);
    return;
  }
  HDC printer = dialog.GetPrinterDC();
  if (printer == nullptr) {
    Log("#%d print without a printer", state.number);
    return;
  }
  const std::string name = BaseName(state.file);
  DOCINFOA doc{sizeof(DOCINFOA), name.c_str(), nullptr, nullptr, 0};
  StartDoc(printer, &doc);
  const RECT area{0, 0, GetDeviceCaps(printer, HORZRES) / 2, GetDeviceCaps(printer, VERTRES) / 2};
  for (int copy = 0; copy < dialog.GetCopies(); ++copy) {
    StartPage(printer);
    Fill(printer, state.number, area);
    EndPage(printer);
  }
  EndDoc(printer);
  DeleteDC(printer);
  Log("#%d printed copies=%d", state.number, dialog.GetCopies());
}

void ShowMenu(State& state, int x, int y) {
  CMenu menu;
  if (!menu.Attach(::CreatePopupMenu())) return;
  char view[256];
  std::snprintf(view, sizeof view, "View this Image (%s)", BaseName(state.file).c_str());
  menu.AppendMenu(MF_STRING, kViewCommand, view);
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kSaveCommand, "Save as...");
  menu.AppendMenu(MF_STRING, kPrintCommand, "Print...");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kAboutCommand, kAboutText);
  POINT point{x, y};
  ClientToScreen(state.hwnd, &point);
  Log("#%d menu at %d,%d", state.number, static_cast<int>(point.x), static_cast<int>(point.y));
  CWnd owner;
  owner.Attach(state.hwnd);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, &owner);
  owner.Detach();
  menu.DestroyMenu();
}

void Command(State& state, UINT id) {
  switch (id) {
    case kViewCommand:
      g_browser->status(nullptr, ("viewing " + state.file).c_str());
      break;
    case kSaveCommand:
      Save(state);
      break;
    case kPrintCommand:
      PrintImage(state);
      break;
    case kAboutCommand:
      MessageBoxA(nullptr, kAboutText, "Plug-in", MB_OK);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = g_windows.find(hwnd);
  if (found == g_windows.end()) return DefWindowProcA(hwnd, message, wParam, lParam);
  State& state = *found->second;
  switch (message) {
    case WM_PAINT: {
      if (EnvNumber("TESTPLUGIN_LAZY_PAINT", 0) != 0) return 0;
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT client;
      GetClientRect(hwnd, &client);
      Fill(dc, state.number, client);
      EndPaint(hwnd, &paint);
      Log("#%d WM_PAINT", state.number);
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      Log("#%d %s code=%d pos=%d", state.number,
          message == WM_HSCROLL ? "WM_HSCROLL" : "WM_VSCROLL", LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Log("#%d %s x=%d y=%d", state.number,
          message == WM_LBUTTONDOWN ? "WM_LBUTTONDOWN" : "WM_RBUTTONDOWN",
          static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (message == WM_RBUTTONDOWN)
        ShowMenu(state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_PALETTECHANGED:
      Log("#%d WM_PALETTECHANGED by=%s", state.number,
          reinterpret_cast<HWND>(wParam) == hwnd ? "self" : "other");
      return 0;
    case WM_COMMAND:
      Log("#%d WM_COMMAND id=%d", state.number, LOWORD(wParam));
      Command(state, LOWORD(wParam));
      return 0;
    default:
      return CallWindowProcA(state.previous, hwnd, message, wParam, lParam);
  }
}

void Unsubclass(State& state) {
  if (state.hwnd == nullptr) return;
  SetWindowLongA(state.hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(state.previous));
  g_windows.erase(state.hwnd);
  state.hwnd = nullptr;
}

NPError New(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[],
            NPSavedData*) {
  std::string args;
  for (int i = 0; i < argc; ++i) args += std::string(" ") + argn[i] + "=" + argv[i];
  const int number = ++g_instances;
  auto* record = static_cast<Record*>(g_browser->memalloc(sizeof(Record)));
  if (record == nullptr) {
    Log("#%d NPP_New type=%s mode=%d: no memory", number, type, mode);
    return NPERR_OUT_OF_MEMORY_ERROR;
  }
  record->state = new State;
  record->state->number = number;
  instance->pdata = record;
  Log("#%d NPP_New type=%s mode=%d argc=%d%s", number, type, mode, argc, args.c_str());
  return NPERR_NO_ERROR;
}

NPError Destroy(NPP instance, NPSavedData**) {
  State* state = StateOf(instance);
  if (state == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  Log("#%d NPP_Destroy", state->number);
  Unsubclass(*state);
  delete state;
  if (EnvNumber("TESTPLUGIN_LEAK", 0) == 0) g_browser->memfree(instance->pdata);
  instance->pdata = nullptr;
  return NPERR_NO_ERROR;
}

NPError SetWindow(NPP instance, NPWindow* window) {
  State* state = StateOf(instance);
  if (state == nullptr || window == nullptr) return NPERR_GENERIC_ERROR;
  HWND hwnd = static_cast<HWND>(window->window);
  Log("#%d NPP_SetWindow window=%s x=%d y=%d width=%u height=%u", state->number,
      hwnd != nullptr ? "set" : "null", window->x, window->y, window->width, window->height);
  if (hwnd == nullptr) {
    Unsubclass(*state);
    return NPERR_NO_ERROR;
  }
  if (state->hwnd == nullptr) {
    state->hwnd = hwnd;
    g_windows[hwnd] = state;
    state->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    if (EnvNumber("TESTPLUGIN_SCROLLBARS", 0) != 0) ShowScrollBar(hwnd, SB_BOTH, TRUE);
  }
  InvalidateRect(state->hwnd, nullptr, TRUE);
  UpdateWindow(state->hwnd);
  return NPERR_NO_ERROR;
}

NPError NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                  uint16_t* stype) {
  State* state = StateOf(instance);
  if (state == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  *stype = static_cast<uint16_t>(EnvNumber("TESTPLUGIN_STREAM_TYPE", NP_ASFILE));
  Log("#%d NPP_NewStream type=%s end=%u seekable=%d url=%s", state->number, type, stream->end,
      seekable, stream->url);
  return NPERR_NO_ERROR;
}

NPError DestroyStream(NPP instance, NPStream*, NPReason reason) {
  State* state = StateOf(instance);
  if (state == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  Log("#%d NPP_DestroyStream reason=%d", state->number, reason);
  return NPERR_NO_ERROR;
}

int32_t WriteReady(NPP, NPStream*) {
  return static_cast<int32_t>(EnvNumber("TESTPLUGIN_WRITE_READY", 0x0FFFFFFF));
}

int32_t Write(NPP instance, NPStream*, int32_t offset, int32_t len, void* buffer) {
  State* state = StateOf(instance);
  if (state == nullptr) return -1;
  if (offset != static_cast<int32_t>(state->received.size())) state->contiguous = false;
  state->received.append(static_cast<const char*>(buffer), static_cast<std::size_t>(len));
  Log("#%d NPP_Write offset=%d len=%d", state->number, offset, len);
  return len;
}

void StreamAsFile(NPP instance, NPStream*, const char* fname) {
  State* state = StateOf(instance);
  if (state == nullptr) return;
  state->file = fname;
  std::ifstream in(fname, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Log("#%d NPP_StreamAsFile file=%s received=%zu same=%d", state->number, fname,
      state->received.size(), state->contiguous && content == state->received ? 1 : 0);
  g_browser->status(instance, ("loaded " + BaseName(state->file)).c_str());
}

void Print(NPP instance, NPPrint* print) {
  State* state = StateOf(instance);
  if (state == nullptr) return;
  Log("#%d NPP_Print mode=%d", state->number, print != nullptr ? print->mode : 0);
  if (state->hwnd != nullptr) PrintImage(*state);
}

}  // namespace

#define NP_EXPORT(type) extern "C" __attribute__((visibility("default"))) type

NP_EXPORT(NPError) NP_GetEntryPoints(NPPluginFuncs* funcs) {
  Log("NP_GetEntryPoints size=%d", funcs != nullptr ? funcs->size : -1);
  if (funcs == nullptr || funcs->size < kMinPluginFuncsSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  funcs->newp = New;
  funcs->destroy = Destroy;
  funcs->setwindow = SetWindow;
  funcs->newstream = NewStream;
  funcs->destroystream = DestroyStream;
  funcs->asfile = StreamAsFile;
  funcs->writeready = WriteReady;
  funcs->write = Write;
  funcs->print = Print;
  return NPERR_NO_ERROR;
}

NP_EXPORT(NPError) NP_Initialize(NPNetscapeFuncs* funcs) {
  if (funcs == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  g_browser = funcs;
  const bool complete =
      funcs->geturl && funcs->posturl && funcs->requestread && funcs->newstream && funcs->write &&
      funcs->destroystream && funcs->status && funcs->uagent && funcs->memalloc && funcs->memfree &&
      funcs->memflush && funcs->reloadplugins && funcs->getJavaEnv && funcs->getJavaPeer &&
      funcs->geturlnotify && funcs->posturlnotify && funcs->getvalue && funcs->setvalue &&
      funcs->invalidaterect && funcs->invalidateregion && funcs->forceredraw;
  char windir[MAX_PATH] = "";
  GetWindowsDirectoryA(windir, sizeof windir);
  Log("NP_Initialize version=%d size=%d complete=%d geturl=%d agent=%s windir=%s", funcs->version,
      funcs->size, complete,
      complete ? funcs->geturl(nullptr, "http://example.invalid/", nullptr) : -1,
      complete ? funcs->uagent(nullptr) : "", windir);
  return static_cast<NPError>(EnvNumber("TESTPLUGIN_INIT_ERROR", NPERR_NO_ERROR));
}

NP_EXPORT(NPError) NP_Shutdown() {
  Log("NP_Shutdown");
  g_browser = nullptr;
  return NPERR_NO_ERROR;
}
