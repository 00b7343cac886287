// Where the engine keeps its things, and the path spellings it accepts.
#pragma once

#include <string>

namespace zirn {

// The system builds "dir\name.icm": backslashes become POSIX separators.
std::string ToPosixPath(const char* path);

// $ZIRN_HOME, else $XDG_DATA_HOME/zirn, else $HOME/.local/share/zirn. Read again on
// every call, so a change of the environment takes effect at once. Empty when no home
// directory is known.
std::string ZirnHome();

// "dir/sRGB.icc" -> "sRGB"; a leading dot is part of the name (".icc" stays ".icc").
std::string FileStem(const std::string& path);

}  // namespace zirn
