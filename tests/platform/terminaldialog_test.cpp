// Dialogs at a terminal: what is written, and what each line of input does.
#include "../support/dialogtesting.h"

#include <platform/terminaldialog.h>

#include <sstream>

namespace dialogtesting {
namespace {

const char kHint[] = "Type an entry number, up, down, ok (or just Enter), dbl N, cancel or esc.\n";

class TerminalDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_dialog = MakeDialog(ChooserLikeTemplate());
    m_list = GetDlgItem(m_dialog, kListId);
  }

  // Runs the dialog over the input; what it wrote.
  std::string RunWith(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    platform::DialogView view(m_dialog);
    platform::RunDialogAtTerminal(view, in, out);
    return out.str();
  }
  int Selection() { return static_cast<int>(SendMessageA(m_list, LB_GETCURSEL, 0, 0)); }

  HWND m_dialog = nullptr;
  HWND m_list = nullptr;
};

TEST_F(TerminalDialogTest, ShowsTheDialogAsLinesAndEndsWithTheFirstCommandThatEndsIt) {
  AddEntries(m_list, {"beta", "alpha", "gamma"});
  SendMessageA(m_list, LB_SETCURSEL, 0, 0);
  const std::string shown =
      "Sample Dialog\n"
      "  Pick one\n"
      "    * 1  alpha\n"
      "      2  beta\n"
      "      3  gamma\n"
      "  <OK>  [Cancel]\n";
  EXPECT_EQ(RunWith("3\nok\nesc\n"), shown + kHint + "> " +
                                         "Sample Dialog\n"
                                         "  Pick one\n"
                                         "      1  alpha\n"
                                         "      2  beta\n"
                                         "    * 3  gamma\n"
                                         "  <OK>  [Cancel]\n"
                                         "> ");
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(Commands(), (std::vector<Command>{{kListId, LBN_SELCHANGE, m_list},
                                              {IDOK, BN_CLICKED, GetDlgItem(m_dialog, IDOK)}}));
}

TEST_F(TerminalDialogTest, EachCommandWorksItsControl) {
  using Code = std::pair<int, int>;  // the id and notification code of a command
  const Code okClicked{IDOK, BN_CLICKED};
  const Code cancelClicked{IDCANCEL, BN_CLICKED};
  const Code selChange{kListId, LBN_SELCHANGE};
  const std::vector<std::pair<std::string, std::vector<Code>>> cases = {
      {"\n", {okClicked}},
      {"  OK \r\n", {okClicked}},
      {"Cancel\n", {cancelClicked}},
      {"esc", {cancelClicked}},  // a last line without its line end
      {"", {cancelClicked}},     // the end of the input: the close box
      {"dbl  2\n", {selChange, {kListId, LBN_DBLCLK}, cancelClicked}},
      {"down\ndown\nup\n", {selChange, selChange, selChange, cancelClicked}}};
  for (const auto& [input, expected] : cases) {
    DestroyWindow(m_dialog);
    m_dialog = MakeDialog(ChooserLikeTemplate());
    m_list = GetDlgItem(m_dialog, kListId);
    AddEntries(m_list, {"a", "b", "c"});
    Commands().clear();
    RunWith(input);
    std::vector<Code> got;
    for (const Command& c : Commands()) got.emplace_back(c.id, c.code);
    EXPECT_EQ(got, expected) << "input: " << input;
  }
  EXPECT_EQ(Selection(), 0);  // down from no selection takes the first, then down, up
}

TEST_F(TerminalDialogTest, AnswersWhatItCannotDoWithAHintAndAsksAgain) {
  AddEntries(m_list, {"a", "b"});
  const std::string out = RunWith("4\ndbl 0\nfrobnicate\nok please\n12345678901\n" +
                                  std::string(5000, 'x') + "\ncancel\n");
  EXPECT_NE(out.find("> There is no entry 4.\n> "), std::string::npos) << out;
  EXPECT_NE(out.find("> There is no entry 0.\n> "), std::string::npos);
  std::size_t hints = 0;
  for (std::size_t at = out.find(kHint); at != std::string::npos; at = out.find(kHint, at + 1))
    ++hints;
  EXPECT_EQ(hints, 5u);  // at the start, then for each line it does not understand
  EXPECT_EQ(out.find("Sample Dialog"), out.rfind("Sample Dialog"));  // shown once
  EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(TerminalDialogTest, WritesControlCharactersAsQuestionMarks) {
  AddEntries(m_list, {"bad\x1b[2Jname\x7f", "tab\there"});
  const std::string out = RunWith("");
  EXPECT_NE(out.find("bad?[2Jname?\n"), std::string::npos) << out;
  EXPECT_NE(out.find("tab?here\n"), std::string::npos);
  EXPECT_EQ(out.find('\x1b'), std::string::npos);
}

TEST_F(TerminalDialogTest, AListlessDialogSaysSo) {
  platform::DialogTemplate plain = ChooserLikeTemplate();
  plain.items.pop_back();
  DestroyWindow(m_dialog);
  m_dialog = MakeDialog(plain);
  const std::string out = RunWith("1\nup\nok\n");
  EXPECT_NE(out.find("> There is no list here.\n> There is no list here.\n> "), std::string::npos)
      << out;
  EXPECT_EQ(Commands(), (std::vector<Command>{{IDOK, BN_CLICKED, GetDlgItem(m_dialog, IDOK)}}));
}

}  // namespace
}  // namespace dialogtesting
