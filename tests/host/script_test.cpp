// The script parser: every command, the answers, and the lines it refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "host/Script.h"

namespace hosttest {
namespace {

using namespace nphost;

std::vector<ScriptLine> Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseScript(in);
}

template <class Action>
const Action& Only(const std::string& text) {
  static std::vector<ScriptLine> lines;
  lines = Parse(text);
  EXPECT_EQ(lines.size(), 1u);
  return std::get<Action>(lines.at(0).action);
}

std::string ErrorOf(const std::string& text) {
  try {
    Parse(text);
  } catch (const ScriptError& error) {
    return error.what();
  }
  return "no error";
}

TEST(ScriptTest, WindowCommands) {
  EXPECT_EQ(Only<SelectInstance>("instance 2").number, 2);
  const ResizeWindow& resize = Only<ResizeWindow>("resize 400 300");
  EXPECT_EQ(resize.width, 400);
  EXPECT_EQ(resize.height, 300);

  const Scroll& right = Only<Scroll>("hscroll linedown");
  EXPECT_FALSE(right.vertical);
  EXPECT_EQ(right.code, SB_LINERIGHT);
  EXPECT_EQ(right.position, 0);
  const Scroll& thumb = Only<Scroll>("vscroll thumbposition 65535");
  EXPECT_TRUE(thumb.vertical);
  EXPECT_EQ(thumb.code, SB_THUMBPOSITION);
  EXPECT_EQ(thumb.position, 65535);
  const char* codes[] = {"lineup",     "linedown", "pageup", "pagedown", "thumbposition",
                         "thumbtrack", "top",      "bottom", "endscroll"};
  for (int code = 0; code < 9; ++code) {
    EXPECT_EQ(Only<Scroll>(std::string("vscroll ") + codes[code]).code, code) << codes[code];
  }

  const Click& click = Only<Click>("rclick -5 32767");
  EXPECT_TRUE(click.right);
  EXPECT_EQ(click.x, -5);
  EXPECT_EQ(click.y, 32767);
  EXPECT_FALSE(Only<Click>("lclick 1 2").right);
  EXPECT_TRUE(Only<PaletteChanged>("palette-changed self").self);
  EXPECT_FALSE(Only<PaletteChanged>("palette-changed other").self);
  Only<Paint>("paint");
  Only<Print>("print");
  Only<WindowGone>("window-gone");
  Only<Destroy>("destroy");
}

TEST(ScriptTest, Answers) {
  EXPECT_EQ(Only<MenuAnswer>("menu 1002").id, 1002u);
  EXPECT_FALSE(Only<MenuAnswer>("menu cancel").id);
  // The path is the rest of the line, spaces and all.
  EXPECT_EQ(Only<SaveAnswer>("save-as   /tmp/my copy.jpg  ").path, "/tmp/my copy.jpg");
  EXPECT_FALSE(Only<SaveAnswer>("save-as cancel").path);

  const PrinterAnswer& defaults = Only<PrinterAnswer>("printer");
  ASSERT_TRUE(defaults.printer);
  EXPECT_EQ(defaults.printer->copies, 1);
  EXPECT_EQ(defaults.printer->dpi, 600);
  EXPECT_EQ(defaults.printer->output, "");
  const PrinterAnswer& chosen = Only<PrinterAnswer>("printer to=pages-%d.PNG dpi=72 copies=3");
  ASSERT_TRUE(chosen.printer);
  EXPECT_EQ(chosen.printer->copies, 3);
  EXPECT_EQ(chosen.printer->dpi, 72);
  EXPECT_EQ(chosen.printer->output, "pages-%d.PNG");
  EXPECT_FALSE(Only<PrinterAnswer>("printer cancel").printer);
}

TEST(ScriptTest, RawInput) {
  using platform::input::Button;
  const PointerInput& down = Only<PointerInput>("pointer down 790 -3 right shift ctrl");
  EXPECT_EQ(down.kind, PointerInput::Kind::kDown);
  EXPECT_EQ(down.x, 790);
  EXPECT_EQ(down.y, -3);
  EXPECT_EQ(down.button, Button::kRight);
  EXPECT_EQ(down.modifiers, unsigned{MK_SHIFT | MK_CONTROL});
  const PointerInput& up = Only<PointerInput>("pointer up 1 2");
  EXPECT_EQ(up.kind, PointerInput::Kind::kUp);
  EXPECT_EQ(up.button, Button::kLeft);
  EXPECT_EQ(Only<PointerInput>("pointer move 1 2 ctrl").modifiers, unsigned{MK_CONTROL});
  EXPECT_EQ(Only<PointerInput>("pointer up 1 2 middle").button, Button::kMiddle);

  const DragInput& drag = Only<DragInput>("drag 1 2 3 4 shift");
  EXPECT_EQ(drag.fromY, 2);
  EXPECT_EQ(drag.toX, 3);
  EXPECT_EQ(drag.modifiers, unsigned{MK_SHIFT});
  const WheelInput& centre = Only<WheelInput>("wheel -2");
  EXPECT_EQ(centre.notches, -2);
  EXPECT_FALSE(centre.atPoint);
  const WheelInput& at = Only<WheelInput>("wheel 1 10 20 shift");
  EXPECT_TRUE(at.atPoint);
  EXPECT_EQ(at.y, 20);
  EXPECT_EQ(at.modifiers, unsigned{MK_SHIFT});

  const struct {
    const char* line;
    unsigned key;
    unsigned modifiers;
  } keys[] = {{"key a", 'A', 0},
              {"key Z shift", 'Z', MK_SHIFT},
              {"key 7", '7', 0},
              {"key enter", VK_RETURN, 0},
              {"key pagedown ctrl", VK_NEXT, MK_CONTROL},
              {"key left", VK_LEFT, 0}};
  for (const auto& k : keys) {
    EXPECT_EQ(Only<KeyInput>(k.line).virtualKey, k.key) << k.line;
    EXPECT_EQ(Only<KeyInput>(k.line).modifiers, k.modifiers) << k.line;
  }
  EXPECT_EQ(Only<Hold>("hold 250").milliseconds, 250);
}

TEST(ScriptTest, BlankLinesAndCommentsAreSkippedAndLinesKeepTheirNumbers) {
  const std::vector<ScriptLine> lines = Parse("\n# a comment\n   \n  paint\r\n#paint\ndestroy");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].number, 4);
  EXPECT_TRUE(std::holds_alternative<Paint>(lines[0].action));
  EXPECT_EQ(lines[1].number, 6);
  EXPECT_TRUE(Parse("").empty());
}

TEST(ScriptTest, BadLinesAreNamedByNumber) {
  EXPECT_EQ(ErrorOf("paint\n\nscrol 1"), "script line 3: unknown command 'scrol'");
  EXPECT_EQ(ErrorOf("hscroll sideways"), "script line 1: unknown scroll code 'sideways'");
  EXPECT_EQ(ErrorOf("resize 0 10"),
            "script line 1: the width must be a number from 1 to 32767, not '0'");
  EXPECT_EQ(ErrorOf("resize 10"), "script line 1: usage: resize W H");
  EXPECT_EQ(ErrorOf("resize 10 10x"),
            "script line 1: the height must be a number from 1 to 32767, not '10x'");
  EXPECT_EQ(ErrorOf("vscroll lineup 65536"),
            "script line 1: the position must be a number from 0 to 65535, not '65536'");
  EXPECT_EQ(ErrorOf("lclick 1 40000"),
            "script line 1: y must be a number from -32768 to 32767, not '40000'");
  EXPECT_EQ(ErrorOf("instance 0"),
            "script line 1: the instance must be a number from 1 to 1000000, not '0'");
  EXPECT_EQ(ErrorOf("paint now"), "script line 1: usage: paint");
  const char* pointerUsage =
      "script line 1: usage: pointer down|up|move X Y [left|right|middle] [shift] [ctrl]";
  EXPECT_EQ(ErrorOf("pointer press 1 2"), pointerUsage);
  EXPECT_EQ(ErrorOf("pointer move 1 2 left"), pointerUsage);
  EXPECT_EQ(ErrorOf("pointer down 1 2 alt"), pointerUsage);
  EXPECT_EQ(ErrorOf("drag 1 2 3"), "script line 1: usage: drag X1 Y1 X2 Y2 [shift] [ctrl]");
  EXPECT_EQ(ErrorOf("wheel 1 2"), "script line 1: usage: wheel N [X Y] [shift] [ctrl]");
  EXPECT_EQ(ErrorOf("wheel 1001"),
            "script line 1: the notches must be a number from -1000 to 1000, not '1001'");
  EXPECT_EQ(ErrorOf("key f13"), "script line 1: unknown key 'f13'");
  EXPECT_EQ(ErrorOf("hold -1"),
            "script line 1: the milliseconds must be a number from 0 to 600000, not '-1'");
  EXPECT_EQ(ErrorOf("palette-changed mine"), "script line 1: usage: palette-changed self|other");
  EXPECT_EQ(ErrorOf("menu 0"),
            "script line 1: the menu id must be a number from 1 to 65535, not '0'");
  EXPECT_EQ(ErrorOf("save-as"), "script line 1: usage: save-as PATH|cancel");
  EXPECT_EQ(ErrorOf("printer copies=0"),
            "script line 1: copies must be a number from 1 to 9999, not '0'");
  EXPECT_EQ(ErrorOf("printer dpi=4801"),
            "script line 1: dpi must be a number from 1 to 4800, not '4801'");
  EXPECT_EQ(ErrorOf("printer colour=yes"),
            "script line 1: usage: printer [copies=N] [dpi=D] [to=FILE.pdf|FILE-%d.png]|cancel");
  EXPECT_EQ(ErrorOf("printer to=out.ps"),
            "script line 1: the printer writes FILE.pdf or FILE-%d.png, not 'out.ps'");
  EXPECT_EQ(ErrorOf("printer to=page.png"),
            "script line 1: a PNG output needs exactly one %d for the page number: 'page.png'");
  EXPECT_EQ(ErrorOf("printer to=p%d-%d.png"),
            "script line 1: a PNG output needs exactly one %d for the page number: 'p%d-%d.png'");
  EXPECT_EQ(ErrorOf("printer to=p%s.png"),
            "script line 1: a PNG output needs exactly one %d for the page number: 'p%s.png'");
}

TEST(ScriptTest, AnEndlessLineIsRefused) {
  EXPECT_EQ(ErrorOf("paint\n" + std::string(70000, 'x')), "script line 2: line too long");
}

}  // namespace
}  // namespace hosttest
