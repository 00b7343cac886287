// The profile store: $ZIRN_HOME/profiles, then the system's /usr/share/color/icc, each
// with its subfolders. Store order is the order of the roots, and inside a folder its
// files by name before its subfolders by name, so it does not depend on the file
// system's listing order.
//
// Only RGB display-class profiles can describe a monitor here; those are the ones the
// store lists and finds. What the store learnt about a file is kept until the file
// changes, so listing the store again costs one stat per file.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lcms_context.h"

namespace zirn {

struct ProfileInfo {
  std::string path;
  std::string name;
};

class ProfileStore {
 public:
  // Folder depth below a root that is still searched, and folder entries looked at in
  // one listing: a symbolic-link loop or a huge tree cannot stall the engine.
  static constexpr int kMaxDepth = 4;
  static constexpr int kMaxEntries = 20000;

  explicit ProfileStore(LcmsContext& lcms) : m_lcms(lcms) {}

  // The RGB display profiles, each name once (the first in store order wins).
  std::vector<ProfileInfo> DisplayProfiles();

  // The display profile named name: exact spelling first, then ignoring letter case.
  std::optional<ProfileInfo> FindDisplayProfile(const std::string& name);

  // Drops what is known about the file at path (POSIX spelling).
  void Forget(const std::string& path);

 private:
  // Identifies one version of a file: a rewrite changes the size or a time stamp.
  struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
  };
  struct Known {
    FileStamp stamp;
    bool display = false;
    std::string name;
    unsigned listing = 0;
  };
  struct Listing {
    std::vector<ProfileInfo> profiles;
    std::unordered_set<std::string> names;
    int entries = 0;
  };

  void ListFolder(const std::string& folder, int depth, Listing& listing);
  void AddFile(const std::string& path, const FileStamp& stamp, Listing& listing);
  Known& Describe(const std::string& path, const FileStamp& stamp);

  LcmsContext& m_lcms;
  std::unordered_map<std::string, Known> m_known;
  unsigned m_listing = 0;
};

}  // namespace zirn
