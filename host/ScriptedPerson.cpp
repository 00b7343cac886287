// Answering the system's questions from the script, and logging them.
#include "host/ScriptedPerson.h"

#include "host/Json.h"

#include <cstdio>

namespace nphost {
namespace {

constexpr unsigned kYesNoCancel = 0x03;  // MB_YESNOCANCEL

void NoteUnanswered(const char* question) {
  std::fprintf(stderr, "nphost: %s with no answer queued: cancelled\n", question);
}

bool Choosable(const platform::MenuItem& item) {
  return (item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0;
}

std::string MenuItems(const std::vector<platform::MenuItem>& items) {
  std::string list = "[";
  for (const platform::MenuItem& item : items) {
    if (list.size() > 1) list += ',';
    JsonObject entry;
    if ((item.flags & MF_SEPARATOR) != 0) {
      entry.Add("separator", "true");
    } else {
      entry.Add("id", item.id).Add("text", JsonSystemText(item.text));
      if ((item.flags & (MF_GRAYED | MF_DISABLED)) != 0) entry.Add("disabled", "true");
      if ((item.flags & MF_CHECKED) != 0) entry.Add("checked", "true");
    }
    list += entry.Text();
  }
  return list + "]";
}

}  // namespace

std::size_t ScriptedPerson::UnusedAnswers() const {
  return m_menuAnswers.size() + m_saveAnswers.size() + m_printerAnswers.size();
}

int ScriptedPerson::MessageBox(const std::string& caption, const std::string& text,
                               unsigned style) {
  if (m_log.IsOpen()) {
    m_log.Write(JsonObject()
                    .Add("caption", JsonSystemText(caption))
                    .Add("text", JsonSystemText(text))
                    .Add("style", style)
                    .Text());
  } else if (m_fallback == nullptr) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  if (m_fallback != nullptr) return m_fallback->MessageBox(caption, text, style);
  const unsigned buttons = style & 0x0F;
  return buttons == MB_YESNO || buttons == kYesNoCancel ? IDYES : IDOK;
}

UINT ScriptedPerson::ChooseMenuItem(const platform::MenuQuestion& question) {
  UINT chosen = 0;
  if (m_menuAnswers.empty() && m_fallback != nullptr) {
    chosen = m_fallback->ChooseMenuItem(question);
  } else if (m_menuAnswers.empty()) {
    NoteUnanswered("a pop-up menu");
  } else {
    const MenuAnswer answer = m_menuAnswers.front();
    m_menuAnswers.pop_front();
    for (const platform::MenuItem& item : question.items) {
      if (answer.id && item.id == *answer.id && Choosable(item)) chosen = item.id;
    }
    if (answer.id && chosen == 0) {
      std::fprintf(stderr, "nphost: the menu has no item %u to choose: cancelled\n", *answer.id);
    }
  }
  JsonObject line;
  line.Add("menu", MenuItems(question.items));
  if (chosen != 0)
    line.Add("chosen", chosen);
  else
    line.AddNull("chosen");
  m_log.Write(line.Text());
  return chosen;
}

std::optional<std::string> ScriptedPerson::ChooseFile(const platform::FileQuestion& question) {
  std::optional<std::string> path;
  if ((!question.save || m_saveAnswers.empty()) && m_fallback != nullptr) {
    path = m_fallback->ChooseFile(question);
  } else if (!question.save) {
    NoteUnanswered("an open dialog (the script answers save dialogs only)");
  } else if (m_saveAnswers.empty()) {
    NoteUnanswered("a save dialog");
  } else {
    path = m_saveAnswers.front().path;
    m_saveAnswers.pop_front();
  }
  JsonObject dialog;
  dialog.Add("defext", JsonSystemText(question.defaultExtension))
      .Add("file", JsonSystemText(question.fileName))
      .Add("filter", JsonSystemText(question.filter))
      .Add("flags", question.flags);
  if (!question.title.empty()) dialog.Add("title", JsonSystemText(question.title));
  JsonObject line;
  line.Add(question.save ? "save-dialog" : "open-dialog", dialog.Text());
  if (path)
    line.Add("answer", JsonHostText(*path));
  else
    line.AddNull("answer");
  m_log.Write(line.Text());
  return path;
}

std::optional<platform::PrintAnswer> ScriptedPerson::ChoosePrinter(
    const platform::PrintQuestion& question) {
  std::optional<platform::PrintAnswer> result;
  if (m_printerAnswers.empty() && m_fallback != nullptr) {
    result = m_fallback->ChoosePrinter(question);
  } else if (m_printerAnswers.empty()) {
    NoteUnanswered("a print dialog");
  } else {
    const std::optional<PrinterChoice> choice = m_printerAnswers.front().printer;
    m_printerAnswers.pop_front();
    if (choice) {
      platform::PrintAnswer answer;
      answer.copies = static_cast<WORD>(choice->copies);
      answer.printer.dpi = choice->dpi;
      ++m_printersGiven;
      answer.printer.output = !choice->output.empty()
                                  ? choice->output
                                  : "nphost-print-" + std::to_string(m_printersGiven) + ".pdf";
      result = answer;
    }
  }
  JsonObject line;
  line.Add("print-dialog", JsonObject().Add("flags", question.flags).Text());
  if (result) {
    line.Add("answer", JsonObject()
                           .Add("copies", result->copies)
                           .Add("dpi", result->printer.dpi)
                           .Add("output", JsonHostText(result->printer.output))
                           .Text());
  } else {
    line.AddNull("answer");
  }
  m_log.Write(line.Text());
  return result;
}

void ScriptedPerson::RunDialog(platform::DialogView& dialog) {
  if (m_fallback != nullptr)
    m_fallback->RunDialog(dialog);
  else
    Person::RunDialog(dialog);
}

}  // namespace nphost
