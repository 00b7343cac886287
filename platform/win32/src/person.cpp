// The person at the screen and the default one, who answers nothing: message boxes
// go to stderr; menus, file dialogs and print dialogs are cancelled.
#include <platform/person.h>
#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

Person g_defaultPerson;
Person* g_person = nullptr;

}  // namespace

Person::~Person() = default;

int Person::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return IDOK;
}

UINT Person::ChooseMenuItem(const MenuQuestion& question) { return 0; }

std::optional<std::string> Person::ChooseFile(const FileQuestion& question) { return std::nullopt; }

std::optional<PrintAnswer> Person::ChoosePrinter(const PrintQuestion& question) {
  return std::nullopt;
}

Person& CurrentPerson() { return g_person != nullptr ? *g_person : g_defaultPerson; }

Person* SetPerson(Person* person) {
  Person* previous = g_person;
  g_person = person;
  return previous;
}

}  // namespace platform
