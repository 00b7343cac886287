// The modules as a loader sees them: the names the plug-in and the chooser bind.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

// Kept mapped after dlclose, as modules stay in a real process: an unmapped module's
// thread-local blocks would read as leaks.
class Module {
 public:
  explicit Module(const char* path)
      : m_handle(::dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {}
  ~Module() {
    if (m_handle != nullptr) ::dlclose(m_handle);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  bool loaded() const { return m_handle != nullptr; }
  bool Has(const char* symbol) const { return ::dlsym(m_handle, symbol) != nullptr; }

 private:
  void* m_handle;
};

TEST(ModulesTest, EngineExportsItsEightEntryPoints) {
  Module engine(ZIRN_MODULE);
  ASSERT_TRUE(engine.loaded()) << ::dlerror();
  for (const char* name :
       {"ZIRN_GetMonitorProfile", "ZIRN_SetMonitorProfile", "ZIRN_DisposeProfile",
        "ZIRN_GetProfileName", "ZIRN_BeginMatchingSession", "ZIRN_EndMatching", "ZIRN_Match",
        "enum_profiles_by_classification"}) {
    EXPECT_TRUE(engine.Has(name)) << name;
  }
}

TEST(ModulesTest, DialogLibraryExportsBothDialogs) {
  Module dialogs(ZIRNDLG_MODULE);
  ASSERT_TRUE(dialogs.loaded()) << ::dlerror();
  EXPECT_TRUE(dialogs.Has("ZirnDlg_About"));
  EXPECT_TRUE(dialogs.Has("ZirnDlg_ProfileSetup"));
}

TEST(ModulesTest, MarkerLibraryIsALoadableModule) {
  Module marker(TALVERIN_MODULE);
  ASSERT_TRUE(marker.loaded()) << ::dlerror();
  EXPECT_TRUE(marker.Has("TalverinModule"));
}

}  // namespace
