// The person at the screen and the default one, who answers nothing.
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

Person& CurrentPerson() { return g_person != nullptr ? *g_person : g_defaultPerson; }

Person* SetPerson(Person* person) {
  Person* previous = g_person;
  g_person = person;
  return previous;
}

}  // namespace platform
