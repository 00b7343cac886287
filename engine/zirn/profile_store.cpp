#include "profile_store.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "paths.h"
#include "profile_file.h"

namespace zirn {
namespace {

constexpr const char kSystemProfiles[] = "/usr/share/color/icc";

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// At most limit of the folder's entry names, sorted; empty when it cannot be read.
std::vector<std::string> SortedEntries(const std::string& folder, int limit) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (dir == nullptr) return names;
  while (static_cast<int>(names.size()) < limit) {
    const struct dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) break;
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::vector<ProfileInfo> ProfileStore::DisplayProfiles() {
  ++m_listing;
  Listing listing;
  std::string home = ZirnHome();
  if (!home.empty()) ListFolder(home + "/profiles", 0, listing);
  ListFolder(kSystemProfiles, 0, listing);
  // Files no longer in the store are forgotten.
  std::erase_if(m_known, [this](const auto& item) { return item.second.listing != m_listing; });
  return std::move(listing.profiles);
}

std::optional<ProfileInfo> ProfileStore::FindDisplayProfile(const std::string& name) {
  std::vector<ProfileInfo> profiles = DisplayProfiles();
  for (const ProfileInfo& profile : profiles) {
    if (profile.name == name) return profile;
  }
  for (const ProfileInfo& profile : profiles) {
    if (::strcasecmp(profile.name.c_str(), name.c_str()) == 0) return profile;
  }
  return std::nullopt;
}

void ProfileStore::Forget(const std::string& path) { m_known.erase(path); }

void ProfileStore::ListFolder(const std::string& folder, int depth, Listing& listing) {
  std::vector<std::string> subfolders;
  for (const std::string& entry : SortedEntries(folder, kMaxEntries - listing.entries)) {
    if (++listing.entries > kMaxEntries) return;
    std::string path = folder + "/" + entry;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      subfolders.push_back(std::move(path));
    } else if (S_ISREG(st.st_mode)) {
      AddFile(path,
              {st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)},
              listing);
    }
  }
  if (depth >= kMaxDepth) return;
  for (const std::string& subfolder : subfolders) ListFolder(subfolder, depth + 1, listing);
}

void ProfileStore::AddFile(const std::string& path, const FileStamp& stamp, Listing& listing) {
  Known& known = Describe(path, stamp);
  known.listing = m_listing;
  if (!known.display || !listing.names.insert(known.name).second) return;
  listing.profiles.push_back({path, known.name});
}

ProfileStore::Known& ProfileStore::Describe(const std::string& path, const FileStamp& stamp) {
  auto [item, added] = m_known.try_emplace(path);
  Known& known = item->second;
  if (!added && known.stamp == stamp) return known;
  known = Known{stamp, false, "", 0};
  ProfilePtr profile = OpenProfileFile(m_lcms, path);
  if (profile != nullptr && cmsGetDeviceClass(profile.get()) == cmsSigDisplayClass &&
      cmsGetColorSpace(profile.get()) == cmsSigRgbData) {
    known.display = true;
    known.name = ProfileName(m_lcms, profile.get(), path);
  }
  return known;
}

}  // namespace zirn
