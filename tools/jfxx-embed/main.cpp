// jfxx-embed: writes a copy of a JPEG file that carries an ICC profile in "JFXX"
// segments right after its SOI, where the viewer looks for its source profile; or
// copies of several files into a folder, going on past the ones it cannot convert.
//
// Exit status: 0 all written; 1 a file could not be read or written, or its contents
// were refused; 2 the command line was wrong (the usage is printed).
#include "jfxx_segments.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uintmax_t kMaxJpegBytes = std::uintmax_t{256} << 20;
constexpr std::uintmax_t kMaxProfileBytes = std::uintmax_t{16} << 20;

constexpr const char* kUsage =
    "usage: jfxx-embed [--app1|--app2] [--chunk BYTES] [--profile FILE.icc | --from-icc] IN.jpg "
    "OUT.jpg\n"
    "       jfxx-embed [--app1|--app2] [--chunk BYTES] [--profile FILE.icc | --from-icc] IN.jpg... "
    "FOLDER\n"
    "\n"
    "Writes OUT.jpg, a copy of IN.jpg that carries an ICC profile in JFXX segments\n"
    "right after its SOI (JFXX segments IN.jpg already has are left out). With an\n"
    "existing FOLDER last, writes a copy of each IN.jpg there under its own name; a\n"
    "file that cannot be converted is reported and the others go on. The originals\n"
    "are never changed.\n"
    "\n"
    "  --app1           APP1 segments, 32-bit chunk numbers (the default)\n"
    "  --app2           APP2 segments, at most 255 chunks\n"
    "  --chunk BYTES    profile bytes a segment carries (default and most: 65503 for\n"
    "                   APP1, 65509 for APP2)\n"
    "  --profile FILE   the profile to embed\n"
    "  --from-icc       the profile of IN.jpg's standard ICC_PROFILE segments\n"
    "\n"
    "Exit status: 0 all written, 1 a file refused or not readable/writable, 2 bad usage.\n";

struct Options {
  jfxx::Layout layout = jfxx::Layout::kApp1;
  std::optional<std::size_t> chunk;
  std::string profilePath;
  bool fromIcc = false;
  std::vector<std::string> in;
  std::string out;
  bool outIsFolder = false;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::size_t ParseChunk(std::string_view text) {
  std::size_t value = 0;
  if (text.empty() || text.size() > 9) throw UsageError("--chunk takes a byte count");
  for (char c : text) {
    if (c < '0' || c > '9') throw UsageError("--chunk takes a byte count");
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  return value;
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  bool layoutGiven = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(std::string(arg) + " needs a value");
      return argv[++i];
    };
    if (arg == "--app1" || arg == "--app2") {
      if (layoutGiven) throw UsageError("give one of --app1 and --app2");
      layoutGiven = true;
      options.layout = arg == "--app1" ? jfxx::Layout::kApp1 : jfxx::Layout::kApp2;
    } else if (arg == "--chunk") {
      if (options.chunk) throw UsageError("--chunk given twice");
      options.chunk = ParseChunk(value());
    } else if (arg == "--profile") {
      if (!options.profilePath.empty()) throw UsageError("--profile given twice");
      options.profilePath = value();
      if (options.profilePath.empty()) throw UsageError("--profile needs a file");
    } else if (arg == "--from-icc") {
      options.fromIcc = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + std::string(arg));
    } else {
      files.emplace_back(arg);
    }
  }
  if (options.fromIcc == !options.profilePath.empty())
    throw UsageError("give one of --profile and --from-icc");
  if (files.size() < 2) throw UsageError("give IN.jpg and OUT.jpg, or files and a folder");
  std::error_code error;
  options.outIsFolder = std::filesystem::is_directory(files.back(), error);
  if (files.size() > 2 && !options.outIsFolder)
    throw UsageError("the last of several files must be a folder");
  if (options.chunk && (*options.chunk < 1 || *options.chunk > jfxx::MaxChunk(options.layout))) {
    throw UsageError("--chunk must be 1 to " + std::to_string(jfxx::MaxChunk(options.layout)) +
                     " for this layout");
  }
  options.out = files.back();
  files.pop_back();
  options.in = std::move(files);
  return options;
}

jfxx::Bytes ReadFile(const std::string& path, std::uintmax_t maxBytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw jfxx::Error(path + ": not a readable file");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw jfxx::Error(path + ": " + std::strerror(errno));
  jfxx::Bytes bytes;
  std::uint8_t buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (bytes.size() + n > maxBytes) {
      std::fclose(file);
      throw jfxx::Error(path + ": larger than " + std::to_string(maxBytes >> 20) + " MiB");
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw jfxx::Error(path + ": read error");
  return bytes;
}

// Written beside the target and renamed over it, so a failure leaves OUT as it was
// (and OUT may be IN).
void WriteFile(const std::string& path, const jfxx::Bytes& bytes) {
  std::filesystem::path target(path);
  std::string temp =
      (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) /
      (".jfxx-embed-XXXXXX");
  int fd = mkstemp(temp.data());
  if (fd < 0) throw jfxx::Error(path + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  int error = done == bytes.size() ? 0 : errno;
  if (close(fd) != 0 && error == 0) error = errno;
  mode_t mask = umask(0);
  umask(mask);
  if (error == 0 && chmod(temp.c_str(), 0666 & ~mask) != 0) error = errno;
  if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temp.c_str());
    throw jfxx::Error(path + ": " + std::strerror(error != 0 ? error : EIO));
  }
}

jfxx::Bytes Profile(const Options& options, const std::string& in, const jfxx::Bytes& jpeg) {
  jfxx::Bytes profile;
  if (options.fromIcc) {
    try {
      profile = jfxx::ExtractIccProfile(jpeg);
    } catch (const jfxx::Error& e) {
      throw jfxx::Error(in + ": " + e.what());
    }
  } else {
    profile = ReadFile(options.profilePath, kMaxProfileBytes);
    try {
      jfxx::CheckProfile(profile);
    } catch (const jfxx::Error& e) {
      throw jfxx::Error(options.profilePath + ": " + e.what());
    }
  }
  return profile;
}

void Convert(const Options& options, const std::string& in, const std::string& out) {
  jfxx::Bytes jpeg = ReadFile(in, kMaxJpegBytes);
  jfxx::Bytes profile = Profile(options, in, jpeg);
  std::size_t chunk = options.chunk.value_or(jfxx::MaxChunk(options.layout));
  std::vector<jfxx::Bytes> segments = jfxx::MakeSegments(profile, options.layout, chunk);
  jfxx::Bytes converted;
  try {
    converted = jfxx::EmbedSegments(jpeg, segments);
  } catch (const jfxx::Error& e) {
    throw jfxx::Error(in + ": " + e.what());
  }
  WriteFile(out, converted);
}

// Each file into the folder under its own name; every failure is reported and the
// rest go on.
int ConvertIntoFolder(const Options& options) {
  namespace fs = std::filesystem;
  std::set<std::string> names;
  std::size_t failed = 0;
  for (const std::string& in : options.in) {
    try {
      fs::path name = fs::path(in).filename();
      fs::path out = fs::path(options.out) / name;
      // No original is ever written over, nor an earlier file's copy.
      if (!names.insert(name.string()).second)
        throw jfxx::Error(in + ": another file has that name");
      for (const std::string& original : options.in) {
        std::error_code error;
        if (fs::equivalent(original, out, error))
          throw jfxx::Error(in + ": the copy would replace an original");
      }
      Convert(options, in, out.string());
    } catch (const jfxx::Error& e) {
      std::fprintf(stderr, "jfxx-embed: %s\n", e.what());
      ++failed;
    }
  }
  if (failed == 0) return 0;
  std::fprintf(stderr, "jfxx-embed: %zu of %zu files not converted\n", failed, options.in.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  Options options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "jfxx-embed: %s\n%s", e.what(), kUsage);
    return 2;
  }
  if (options.outIsFolder) return ConvertIntoFolder(options);
  try {
    Convert(options, options.in[0], options.out);
    return 0;
  } catch (const jfxx::Error& e) {
    std::fprintf(stderr, "jfxx-embed: %s\n", e.what());
    return 1;
  }
}
