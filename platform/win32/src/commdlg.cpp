// comdlg32: GetSaveFileNameA, GetOpenFileNameA, PrintDlgA, CommDlgExtendedError.
//
// Each dialog reads the caller's record defensively (strings are read only up to
// the sizes the record gives, the filter list only up to a bound), asks the person
// at the screen, and checks the answer the way the real dialog checks what the user
// typed before it fills the record.
#include <commdlg.h>
#include <platform/person.h>
#include <platform/posix.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace {

thread_local DWORD g_dialogError = 0;

// A filter list longer than this is cut: a list without its closing empty string
// must not send the scan through the caller's memory.
constexpr std::size_t kMaxFilter = 65536;

BOOL Fail(DWORD error) {
  g_dialogError = error;
  return FALSE;
}

std::string OrEmpty(LPCSTR text) { return text != nullptr ? std::string(text) : std::string(); }

// The filter list with the NUL that ends each part written as '|'.
std::string ReadFilter(LPCSTR filter) {
  std::string result;
  if (filter == nullptr) return result;
  std::size_t used = 0;
  while (used < kMaxFilter) {
    const std::size_t length = strnlen(filter + used, kMaxFilter - used);
    result.append(filter + used, length);
    result += '|';
    if (length == 0) break;
    used += length + 1;
  }
  return result;
}

std::size_t FileNameStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(platform::ToPosixPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(platform::ToPosixPath(path).c_str(), &info) == 0;
}

// The dialog's title, which its message boxes take as their caption.
std::string Caption(const OPENFILENAMEA& ofn, bool save) {
  if (ofn.lpstrTitle != nullptr) return ofn.lpstrTitle;
  return save ? "Save As" : "Open";
}

// What the person typed, checked as the dialog checks it before it closes; nothing
// when the dialog stays cancelled.
std::optional<std::string> CheckAnswer(const OPENFILENAMEA& ofn, bool save, std::string path) {
  const std::string caption = Caption(ofn, save);
  const std::size_t nameStart = FileNameStart(path);
  const std::string defaultExtension = OrEmpty(ofn.lpstrDefExt);
  if (!defaultExtension.empty() && path.find('.', nameStart) == std::string::npos) {
    path += '.' + defaultExtension;
  }
  const std::string directory = path.substr(0, nameStart);
  if ((ofn.Flags & OFN_PATHMUSTEXIST) != 0 && !directory.empty() && !IsDirectory(directory)) {
    MessageBoxA(ofn.hwndOwner,
                (path + "\nPath does not exist.\nCheck the path and try again.").c_str(),
                caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return std::nullopt;
  }
  if (!save && (ofn.Flags & OFN_FILEMUSTEXIST) != 0 && !Exists(path)) {
    MessageBoxA(ofn.hwndOwner,
                (path + "\nFile not found.\nCheck the file name and try again.").c_str(),
                caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return std::nullopt;
  }
  if (save && (ofn.Flags & OFN_OVERWRITEPROMPT) != 0 && Exists(path)) {
    const int answer =
        MessageBoxA(ofn.hwndOwner, (path + " already exists.\nDo you want to replace it?").c_str(),
                    caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION);
    if (answer != IDYES) return std::nullopt;
  }
  return path;
}

// Fills the record's outputs with the path chosen; FALSE when it does not fit.
BOOL FillRecord(OPENFILENAMEA& ofn, const std::string& path) {
  if (path.size() > 0xFFFF) return Fail(FNERR_INVALIDFILENAME);
  if (path.size() + 1 > ofn.nMaxFile) {
    // As the dialog does: the size needed goes in the buffer's first two bytes.
    if (ofn.nMaxFile >= sizeof(WORD)) {
      const WORD needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
      std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
    }
    return Fail(FNERR_BUFFERTOOSMALL);
  }
  std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);

  const std::size_t nameStart = FileNameStart(path);
  const std::size_t dot = path.rfind('.');
  const bool hasDot = dot != std::string::npos && dot >= nameStart;
  ofn.nFileOffset = static_cast<WORD>(nameStart);
  // After the dot; the terminator when there is no extension; 0 for a trailing dot.
  if (!hasDot)
    ofn.nFileExtension = static_cast<WORD>(path.size());
  else if (dot + 1 == path.size())
    ofn.nFileExtension = 0;
  else
    ofn.nFileExtension = static_cast<WORD>(dot + 1);

  ofn.Flags &= ~static_cast<DWORD>(OFN_EXTENSIONDIFFERENT);
  if (ofn.lpstrDefExt != nullptr && *ofn.lpstrDefExt != '\0') {
    const std::string extension = hasDot ? path.substr(dot + 1) : std::string();
    if (_stricmp(extension.c_str(), ofn.lpstrDefExt) != 0) ofn.Flags |= OFN_EXTENSIONDIFFERENT;
  }

  if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0) {
    const std::size_t length =
        std::min<std::size_t>(path.size() - nameStart, ofn.nMaxFileTitle - 1);
    std::memcpy(ofn.lpstrFileTitle, path.data() + nameStart, length);
    ofn.lpstrFileTitle[length] = '\0';
  }
  g_dialogError = 0;
  return TRUE;
}

BOOL RunFileDialog(LPOPENFILENAMEA ofn, bool save) {
  if (ofn == nullptr) return Fail(CDERR_INITIALIZATION);
  if (ofn->lStructSize != sizeof(OPENFILENAMEA)) return Fail(CDERR_STRUCTSIZE);
  if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) return Fail(CDERR_INITIALIZATION);

  platform::FileQuestion question;
  question.save = save;
  question.title = OrEmpty(ofn->lpstrTitle);
  question.fileName.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  question.defaultExtension = OrEmpty(ofn->lpstrDefExt);
  question.filter = ReadFilter(ofn->lpstrFilter);
  question.initialDirectory = OrEmpty(ofn->lpstrInitialDir);
  question.flags = ofn->Flags;

  g_dialogError = 0;
  std::optional<std::string> answer = platform::CurrentPerson().ChooseFile(question);
  if (!answer || answer->empty()) return FALSE;
  std::optional<std::string> path = CheckAnswer(*ofn, save, *answer);
  if (!path) return FALSE;
  return FillRecord(*ofn, *path);
}

}  // namespace

extern "C" {

/***********************************************************************
 * GetSaveFileNameA
 * See commdlg.h. Fails with CDERR_STRUCTSIZE for a record of another size,
 * CDERR_INITIALIZATION without a file buffer, FNERR_BUFFERTOOSMALL when the path
 * does not fit nMaxFile (its size is then in the buffer's first two bytes).
 */
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) { return RunFileDialog(ofn, true); }

/***********************************************************************
 * GetOpenFileNameA
 * As GetSaveFileNameA, for a file to open.
 */
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) { return RunFileDialog(ofn, false); }

/***********************************************************************
 * PrintDlgA
 * See commdlg.h. Fails with CDERR_STRUCTSIZE for a record of another size,
 * PDERR_NODEFAULTPRN for PD_RETURNDEFAULT, PDERR_CREATEICFAILURE when the printer
 * chosen cannot be made (a resolution or page size out of range). A proposed or
 * chosen number of copies of 0 counts as 1.
 */
BOOL WINAPI PrintDlgA(LPPRINTDLGA pd) {
  if (pd == nullptr) return Fail(CDERR_INITIALIZATION);
  if (pd->lStructSize != sizeof(PRINTDLGA)) return Fail(CDERR_STRUCTSIZE);
  if ((pd->Flags & PD_RETURNDEFAULT) != 0) return Fail(PDERR_NODEFAULTPRN);

  platform::PrintQuestion question;
  question.flags = pd->Flags & ~static_cast<DWORD>(PD_RETURNDC | PD_RETURNIC);
  question.copies = std::max<WORD>(pd->nCopies, 1);

  g_dialogError = 0;
  std::optional<platform::PrintAnswer> answer = platform::CurrentPerson().ChoosePrinter(question);
  if (!answer) return FALSE;
  if ((pd->Flags & (PD_RETURNDC | PD_RETURNIC)) != 0) {
    HDC printer = platform::CreatePrinterDC(answer->printer);
    if (printer == nullptr) return Fail(PDERR_CREATEICFAILURE);
    pd->hDC = printer;
  }
  pd->nCopies = std::max<WORD>(answer->copies, 1);
  return TRUE;
}

/***********************************************************************
 * CommDlgExtendedError
 */
DWORD WINAPI CommDlgExtendedError(void) { return g_dialogError; }

}  // extern "C"
