// The modules linked into the web build's one WebAssembly module, with what each
// exports and links at load time: what the dynamic loader reads from the module files
// natively (the export lists of engine/*/*.map, the plug-in's entry points and record).
#include "web/host/LinkedModules.h"

#include <npupp.h>
#include <platform/versioninfo.h>
#include <zirn.h>
#include <zirndlg.h>

extern "C" {
NPError NP_GetEntryPoints(NPPluginFuncs* pFuncs);
NPError NP_Initialize(NPNetscapeFuncs* pFuncs);
NPError NP_Shutdown();
extern const platform::VersionInfo PlatformVersionInfo;
extern const char TalverinModule[];
}

namespace webhost {
namespace {

#define EXPORT(name) \
  { #name, reinterpret_cast < const void*>(&name) }

const platform::LinkedExport kPluginExports[] = {EXPORT(NP_GetEntryPoints), EXPORT(NP_Initialize),
                                                 EXPORT(NP_Shutdown), EXPORT(PlatformVersionInfo)};
constexpr const char* kPluginImports[] = {"ZIRNDLG.dll"};

const platform::LinkedExport kEngineExports[] = {EXPORT(ZIRN_GetMonitorProfile),
                                                 EXPORT(ZIRN_SetMonitorProfile),
                                                 EXPORT(ZIRN_DisposeProfile),
                                                 EXPORT(ZIRN_GetProfileName),
                                                 EXPORT(ZIRN_BeginMatchingSession),
                                                 EXPORT(ZIRN_EndMatching),
                                                 EXPORT(ZIRN_Match),
                                                 EXPORT(enum_profiles_by_classification)};

const platform::LinkedExport kDialogExports[] = {EXPORT(ZirnDlg_About),
                                                 EXPORT(ZirnDlg_ProfileSetup)};

const platform::LinkedExport kMarkerExports[] = {EXPORT(TalverinModule)};

#undef EXPORT

template <class T, std::size_t N>
constexpr std::size_t Count(const T (&)[N]) {
  return N;
}

const platform::LinkedModule kModules[] = {
    {"NPZELVW.DLL", kPluginExports, Count(kPluginExports), kPluginImports, Count(kPluginImports)},
    {"ZIRN.DLL", kEngineExports, Count(kEngineExports), nullptr, 0},
    {"ZIRNDLG.dll", kDialogExports, Count(kDialogExports), nullptr, 0},
    {"TALVERIN.DLL", kMarkerExports, Count(kMarkerExports), nullptr, 0},
};

}  // namespace

bool RegisterModules() { return platform::RegisterLinkedModules(kModules, Count(kModules)); }

}  // namespace webhost
