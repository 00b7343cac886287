# The C libraries of the web build as the imported targets the native build finds
# (JPEG::JPEG, PkgConfig::LCMS2), so the libraries' own CMake files read the same.
find_path(ZELVW_WEB_INCLUDE jpeglib.h REQUIRED)
find_library(ZELVW_WEB_JPEG NAMES jpeg REQUIRED)
find_library(ZELVW_WEB_LCMS2 NAMES lcms2 REQUIRED)
foreach(lib JPEG::JPEG PkgConfig::LCMS2)
  add_library(${lib} STATIC IMPORTED)
  set_target_properties(${lib} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${ZELVW_WEB_INCLUDE})
endforeach()
set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_LOCATION ${ZELVW_WEB_JPEG})
set_target_properties(PkgConfig::LCMS2 PROPERTIES IMPORTED_LOCATION ${ZELVW_WEB_LCMS2})
