// SCRNPICK's entry: the framework runs the application object. With a display the
// chooser's dialog opens on the desktop; without one it is asked at the terminal.
#include <afxwin.h>
#include <platform/desktop.h>
#include <platform/desktopperson.h>

#include <memory>

int main() {
  std::unique_ptr<platform::DesktopPerson> pPerson;
  if (platform::desktop::OpenDisplay()) {
    pPerson = std::make_unique<platform::DesktopPerson>();
    platform::SetPerson(pPerson.get());
  }
  const int nStatus = AfxRunApplication();
  platform::SetPerson(nullptr);
  return nStatus;
}
