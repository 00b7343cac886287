// The module's application object and its version record.
#include <afxwin.h>
#include <platform/versioninfo.h>

namespace {

// The framework needs one application object per module; it does nothing of its own.
class CPluginApp : public CWinApp {
 public:
  CPluginApp() : CWinApp(nullptr) {}
};

CPluginApp g_theApp;

}  // namespace

PLATFORM_VERSION_INFO(0x0409, 1252, 1, 0, 0, 2, {"MIMEType", "image/jpeg|image/tiff"},
                      {"FileExtents", "jpg|tif"}, {"FileOpenName", "JPEG (*.JPG)|TIFF (*.TIF)"},
                      {"FileDescription", "NPZELVW.DLL"}, {"OriginalFilename", "NPZELVW.DLL"},
                      {"InternalName", "NPZELVW"}, {"FileVersion", "1, 0, 0, 2"},
                      {"ProductVersion", "1, 0, 0, 2"});
