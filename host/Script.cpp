// The script parser: a table of commands, each with a small parser of its own.
#include "host/Script.h"

#include <cctype>
#include <charconv>
#include <map>
#include <sstream>
#include <string_view>

namespace nphost {
namespace {

constexpr std::size_t kMaxLine = 65536;
constexpr int kMaxSide = 32767;

// A problem with a line, without its number yet.
struct LineError {
  std::string message;
};

struct Line {
  std::string command;
  std::vector<std::string> args;
  std::string rest;  // the text after the command, trimmed
};

std::string Trim(std::string_view text) {
  const char* space = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(space);
  return std::string(text.substr(first, last - first + 1));
}

Line Split(const std::string& text) {
  Line line;
  std::istringstream words(text);
  words >> line.command;
  std::string word;
  while (words >> word) line.args.push_back(word);
  line.rest = Trim(std::string_view(text).substr(text.find(line.command) + line.command.size()));
  return line;
}

std::optional<long long> Number(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

int NumberIn(const std::string& text, long long low, long long high, const std::string& what) {
  const std::optional<long long> value = Number(text);
  if (!value || *value < low || *value > high) {
    throw LineError{what + " must be a number from " + std::to_string(low) + " to " +
                    std::to_string(high) + ", not '" + text + "'"};
  }
  return static_cast<int>(*value);
}

void ExpectArgs(const Line& line, std::size_t low, std::size_t high, const std::string& usage) {
  if (line.args.size() < low || line.args.size() > high) {
    throw LineError{"usage: " + line.command + (usage.empty() ? "" : " " + usage)};
  }
}

ScriptAction ParseInstance(const Line& line) {
  ExpectArgs(line, 1, 1, "N");
  return SelectInstance{NumberIn(line.args[0], 1, 1000000, "the instance")};
}

ScriptAction ParseResize(const Line& line) {
  ExpectArgs(line, 2, 2, "W H");
  return ResizeWindow{NumberIn(line.args[0], 1, kMaxSide, "the width"),
                      NumberIn(line.args[1], 1, kMaxSide, "the height")};
}

ScriptAction ParseScroll(const Line& line, bool vertical) {
  static const std::map<std::string, int> kCodes = {
      {"lineup", 0},     {"linedown", 1}, {"pageup", 2}, {"pagedown", 3}, {"thumbposition", 4},
      {"thumbtrack", 5}, {"top", 6},      {"bottom", 7}, {"endscroll", 8}};
  ExpectArgs(line, 1, 2, "CODE [POS]");
  const auto code = kCodes.find(line.args[0]);
  if (code == kCodes.end()) throw LineError{"unknown scroll code '" + line.args[0] + "'"};
  const int position = line.args.size() == 2 ? NumberIn(line.args[1], 0, 65535, "the position") : 0;
  return Scroll{vertical, code->second, position};
}

ScriptAction ParseClick(const Line& line, bool right) {
  ExpectArgs(line, 2, 2, "X Y");
  return Click{right, NumberIn(line.args[0], -32768, 32767, "x"),
               NumberIn(line.args[1], -32768, 32767, "y")};
}

int Coordinate(const std::string& text, const std::string& what) {
  return NumberIn(text, -32768, 32767, what);
}

// The words after the numbers: modifiers, and a button where one is allowed.
struct Options {
  platform::input::Button button = platform::input::Button::kLeft;
  unsigned modifiers = 0;
};

Options ParseOptions(const Line& line, std::size_t first, bool button, const std::string& usage) {
  static const std::map<std::string, platform::input::Button> kButtons = {
      {"left", platform::input::Button::kLeft},
      {"right", platform::input::Button::kRight},
      {"middle", platform::input::Button::kMiddle}};
  Options options;
  for (std::size_t i = first; i < line.args.size(); ++i) {
    const std::string& word = line.args[i];
    const auto named = kButtons.find(word);
    if (word == "shift") {
      options.modifiers |= MK_SHIFT;
    } else if (word == "ctrl") {
      options.modifiers |= MK_CONTROL;
    } else if (button && named != kButtons.end()) {
      options.button = named->second;
    } else {
      throw LineError{"usage: " + line.command + " " + usage};
    }
  }
  return options;
}

ScriptAction ParsePointer(const Line& line) {
  static const std::map<std::string, PointerInput::Kind> kKinds = {
      {"down", PointerInput::Kind::kDown},
      {"up", PointerInput::Kind::kUp},
      {"move", PointerInput::Kind::kMove}};
  const std::string usage = "down|up|move X Y [left|right|middle] [shift] [ctrl]";
  ExpectArgs(line, 3, 6, usage);
  const auto kind = kKinds.find(line.args[0]);
  if (kind == kKinds.end()) throw LineError{"usage: pointer " + usage};
  const Options options = ParseOptions(line, 3, kind->second != PointerInput::Kind::kMove, usage);
  return PointerInput{kind->second, Coordinate(line.args[1], "x"), Coordinate(line.args[2], "y"),
                      options.button, options.modifiers};
}

ScriptAction ParseDrag(const Line& line) {
  const std::string usage = "X1 Y1 X2 Y2 [shift] [ctrl]";
  ExpectArgs(line, 4, 6, usage);
  return DragInput{Coordinate(line.args[0], "x1"), Coordinate(line.args[1], "y1"),
                   Coordinate(line.args[2], "x2"), Coordinate(line.args[3], "y2"),
                   ParseOptions(line, 4, false, usage).modifiers};
}

ScriptAction ParseWheel(const Line& line) {
  const std::string usage = "N [X Y] [shift] [ctrl]";
  ExpectArgs(line, 1, 5, usage);
  WheelInput wheel{NumberIn(line.args[0], -1000, 1000, "the notches"), false, 0, 0, 0};
  std::size_t words = 1;
  if (line.args.size() >= 3 && Number(line.args[1])) {
    wheel.atPoint = true;
    wheel.x = Coordinate(line.args[1], "x");
    wheel.y = Coordinate(line.args[2], "y");
    words = 3;
  }
  wheel.modifiers = ParseOptions(line, words, false, usage).modifiers;
  return wheel;
}

ScriptAction ParseKey(const Line& line) {
  static const std::map<std::string, unsigned> kKeys = {
      {"enter", VK_RETURN},   {"escape", VK_ESCAPE}, {"tab", VK_TAB},   {"space", VK_SPACE},
      {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"up", VK_UP},     {"down", VK_DOWN},
      {"left", VK_LEFT},      {"right", VK_RIGHT},   {"home", VK_HOME}, {"end", VK_END},
      {"pageup", VK_PRIOR},   {"pagedown", VK_NEXT}};
  const std::string usage = "NAME [shift] [ctrl]";
  ExpectArgs(line, 1, 3, usage);
  const std::string& name = line.args[0];
  const unsigned modifiers = ParseOptions(line, 1, false, usage).modifiers;
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return KeyInput{static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0]))),
                    modifiers};
  }
  const auto key = kKeys.find(name);
  if (key == kKeys.end()) throw LineError{"unknown key '" + name + "'"};
  return KeyInput{key->second, modifiers};
}

ScriptAction ParseHold(const Line& line) {
  ExpectArgs(line, 1, 1, "MS");
  return Hold{NumberIn(line.args[0], 0, 600000, "the milliseconds")};
}

ScriptAction ParsePaletteChanged(const Line& line) {
  ExpectArgs(line, 1, 1, "self|other");
  if (line.args[0] != "self" && line.args[0] != "other") {
    throw LineError{"usage: palette-changed self|other"};
  }
  return PaletteChanged{line.args[0] == "self"};
}

template <class Action>
ScriptAction ParseBare(const Line& line) {
  ExpectArgs(line, 0, 0, "");
  return Action{};
}

ScriptAction ParseMenu(const Line& line) {
  ExpectArgs(line, 1, 1, "ID|cancel");
  if (line.args[0] == "cancel") return MenuAnswer{};
  return MenuAnswer{static_cast<unsigned>(NumberIn(line.args[0], 1, 65535, "the menu id"))};
}

ScriptAction ParseSaveAs(const Line& line) {
  if (line.rest.empty()) throw LineError{"usage: save-as PATH|cancel"};
  if (line.rest == "cancel") return SaveAnswer{};
  return SaveAnswer{line.rest};
}

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[text.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

// A PDF file, or a PNG pattern with exactly one %d and no other conversion.
void CheckOutput(const std::string& output) {
  if (EndsWithNoCase(output, ".pdf")) return;
  if (EndsWithNoCase(output, ".png")) {
    const std::size_t first = output.find('%');
    if (first != std::string::npos && output.compare(first, 2, "%d") == 0 &&
        output.find('%', first + 1) == std::string::npos) {
      return;
    }
    throw LineError{"a PNG output needs exactly one %d for the page number: '" + output + "'"};
  }
  throw LineError{"the printer writes FILE.pdf or FILE-%d.png, not '" + output + "'"};
}

ScriptAction ParsePrinter(const Line& line) {
  if (line.args.size() == 1 && line.args[0] == "cancel") return PrinterAnswer{};
  PrinterChoice choice;
  for (const std::string& arg : line.args) {
    const std::size_t equals = arg.find('=');
    const std::string key = arg.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : arg.substr(equals + 1);
    if (key == "copies" && equals != std::string::npos) {
      choice.copies = NumberIn(value, 1, 9999, "copies");
    } else if (key == "dpi" && equals != std::string::npos) {
      choice.dpi = NumberIn(value, 1, 4800, "dpi");
    } else if (key == "to" && !value.empty()) {
      CheckOutput(value);
      choice.output = value;
    } else {
      throw LineError{"usage: printer [copies=N] [dpi=D] [to=FILE.pdf|FILE-%d.png]|cancel"};
    }
  }
  return PrinterAnswer{choice};
}

using Parser = ScriptAction (*)(const Line&);

const std::map<std::string, Parser>& Commands() {
  static const std::map<std::string, Parser> kCommands = {
      {"instance", ParseInstance},
      {"resize", ParseResize},
      {"hscroll", [](const Line& line) { return ParseScroll(line, false); }},
      {"vscroll", [](const Line& line) { return ParseScroll(line, true); }},
      {"lclick", [](const Line& line) { return ParseClick(line, false); }},
      {"rclick", [](const Line& line) { return ParseClick(line, true); }},
      {"pointer", ParsePointer},
      {"drag", ParseDrag},
      {"wheel", ParseWheel},
      {"key", ParseKey},
      {"hold", ParseHold},
      {"palette-changed", ParsePaletteChanged},
      {"paint", ParseBare<Paint>},
      {"print", ParseBare<Print>},
      {"window-gone", ParseBare<WindowGone>},
      {"destroy", ParseBare<Destroy>},
      {"menu", ParseMenu},
      {"save-as", ParseSaveAs},
      {"printer", ParsePrinter},
  };
  return kCommands;
}

// One line of at most kMaxLine bytes; false at the end of the input.
bool ReadLine(std::istream& in, std::string& line, int number) {
  line.clear();
  int ch;
  while ((ch = in.get()) != std::char_traits<char>::eof()) {
    if (ch == '\n') return true;
    if (line.size() == kMaxLine) throw ScriptError(number, "line too long");
    line += static_cast<char>(ch);
  }
  return !line.empty();
}

}  // namespace

ScriptError::ScriptError(int line, const std::string& message)
    : std::runtime_error("script line " + std::to_string(line) + ": " + message), m_line(line) {}

std::vector<ScriptLine> ParseScript(std::istream& in) {
  std::vector<ScriptLine> script;
  std::string text;
  for (int number = 1; ReadLine(in, text, number); ++number) {
    const Line line = Split(text);
    if (line.command.empty() || line.command[0] == '#') continue;
    const auto command = Commands().find(line.command);
    if (command == Commands().end()) {
      throw ScriptError(number, "unknown command '" + line.command + "'");
    }
    try {
      script.push_back(ScriptLine{number, command->second(line)});
    } catch (const LineError& error) {
      throw ScriptError(number, error.message);
    }
  }
  return script;
}

}  // namespace nphost
