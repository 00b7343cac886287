// Dialogs at a terminal, and the default person's way of running them.
#include <platform/person.h>
#include <platform/terminaldialog.h>

#include <cctype>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace {

// Longer lines are cut here: what a person or a script types is short.
constexpr std::size_t kMaxLine = 1024;

constexpr char kHint[] =
    "Type an entry number, up, down, ok (or just Enter), dbl N, cancel or esc.";

struct Command {
  enum class Kind { kEnter, kOk, kCancel, kEscape, kUp, kDown, kSelect, kDoubleClick, kUnknown };
  Kind kind;
  int entry;  // kSelect, kDoubleClick: from 1
};

std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

std::string Lower(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

// One line without its line end (the last one may lack it); nothing at the end of
// the input.
std::optional<std::string> ReadLine(std::istream& in) {
  std::string line;
  bool any = false;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    any = true;
    if (c == '\n') return line;
    if (line.size() < kMaxLine) line.push_back(static_cast<char>(c));
  }
  if (any) return line;
  return std::nullopt;
}

// An entry number: 1 to 9 digits, nothing else.
std::optional<int> EntryNumber(const std::string& word) {
  if (word.empty() || word.size() > 9) return std::nullopt;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::stoi(word);
}

Command Parse(const std::string& line) {
  using Kind = Command::Kind;
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(Lower(word));
  if (words.empty()) return {Kind::kEnter, 0};
  if (words.size() == 2 && words[0] == "dbl") {
    if (std::optional<int> n = EntryNumber(words[1])) return {Kind::kDoubleClick, *n};
  }
  if (words.size() != 1) return {Kind::kUnknown, 0};
  const std::string& word = words[0];
  if (word == "ok") return {Kind::kOk, 0};
  if (word == "cancel") return {Kind::kCancel, 0};
  if (word == "esc") return {Kind::kEscape, 0};
  if (word == "up") return {Kind::kUp, 0};
  if (word == "down") return {Kind::kDown, 0};
  if (std::optional<int> n = EntryNumber(word)) return {Kind::kSelect, *n};
  return {Kind::kUnknown, 0};
}

void ShowList(const DialogControl& list, std::ostream& out) {
  if (list.items.empty()) {
    out << "    (no entries)\n";
    return;
  }
  const std::size_t width = std::to_string(list.items.size()).size();
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    std::string number = std::to_string(i + 1);
    out << "    " << (static_cast<int>(i) == list.selection ? '*' : ' ') << ' '
        << std::string(width - number.size(), ' ') << number << "  " << Printable(list.items[i])
        << '\n';
  }
}

void Show(const DialogView& dialog, const std::vector<DialogControl>& controls, std::ostream& out) {
  using Kind = DialogControl::Kind;
  out << Printable(dialog.Caption()) << '\n';
  std::string buttons;
  for (const DialogControl& control : controls) {
    switch (control.kind) {
      case Kind::kListBox:
        ShowList(control, out);
        break;
      case Kind::kDefaultButton:
        buttons += "  <" + Printable(control.text) + ">";
        break;
      case Kind::kPushButton:
        buttons += "  [" + Printable(control.text) + "]";
        break;
      case Kind::kGroupBox:
      case Kind::kOther:
        if (!control.text.empty()) out << "  " << Printable(control.text) << '\n';
        break;
    }
  }
  if (!buttons.empty()) out << buttons << '\n';
}

std::optional<int> FirstListId(const std::vector<DialogControl>& controls) {
  for (const DialogControl& control : controls) {
    if (control.kind == DialogControl::Kind::kListBox) return control.id;
  }
  return std::nullopt;
}

// Does what the command says; false, with a word to the person, when it cannot.
bool Act(DialogView& dialog, const Command& command, std::optional<int> listId, std::ostream& out) {
  using Kind = Command::Kind;
  const bool needsList = command.kind == Kind::kUp || command.kind == Kind::kDown ||
                         command.kind == Kind::kSelect || command.kind == Kind::kDoubleClick;
  if (needsList && !listId) {
    out << "There is no list here.\n";
    return false;
  }
  switch (command.kind) {
    case Kind::kEnter:
      return dialog.PressKey(VK_RETURN);
    case Kind::kEscape:
      return dialog.PressKey(VK_ESCAPE);
    case Kind::kUp:
      return dialog.PressKey(VK_UP, *listId);
    case Kind::kDown:
      return dialog.PressKey(VK_DOWN, *listId);
    case Kind::kOk:
      if (dialog.Click(IDOK)) return true;
      out << "There is no OK button.\n";
      return false;
    case Kind::kCancel:
      if (dialog.Click(IDCANCEL)) return true;
      out << "There is no Cancel button.\n";
      return false;
    case Kind::kSelect:
    case Kind::kDoubleClick: {
      const bool twice = command.kind == Kind::kDoubleClick;
      const int index = command.entry - 1;
      if (twice ? dialog.DoubleClickItem(*listId, index) : dialog.ClickItem(*listId, index)) {
        return true;
      }
      out << "There is no entry " << command.entry << ".\n";
      return false;
    }
    case Kind::kUnknown:
      break;
  }
  out << kHint << '\n';
  return false;
}

}  // namespace

void RunDialogAtTerminal(DialogView& dialog, std::istream& in, std::ostream& out) {
  bool show = true;
  bool first = true;
  while (!dialog.Ended()) {
    const std::vector<DialogControl> controls = dialog.Controls();
    if (show) Show(dialog, controls, out);
    if (std::exchange(first, false)) out << kHint << '\n';
    out << "> " << std::flush;
    std::optional<std::string> line = ReadLine(in);
    if (!line) {
      out << '\n' << std::flush;
      dialog.Close();
      return;
    }
    show = Act(dialog, Parse(*line), FirstListId(controls), out);
  }
}

void Person::RunDialog(DialogView& dialog) { RunDialogAtTerminal(dialog, std::cin, std::cout); }

}  // namespace platform
