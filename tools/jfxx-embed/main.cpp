// jfxx-embed: writes a copy of a JPEG file that carries an ICC profile in "JFXX"
// segments right after its SOI, where the viewer looks for its source profile.
//
// Exit status: 0 written; 1 a file could not be read or written, or its contents
// were refused; 2 the command line was wrong (the usage is printed).
#include "jfxx_segments.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <stdexcept>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uintmax_t kMaxJpegBytes = std::uintmax_t{256} << 20;
constexpr std::uintmax_t kMaxProfileBytes = std::uintmax_t{16} << 20;

constexpr const char* kUsage =
    "usage: jfxx-embed [--app1|--app2] [--chunk BYTES] [--profile FILE.icc | --from-icc] IN.jpg OUT.jpg\n"
    "\n"
    "Writes OUT.jpg, a copy of IN.jpg that carries an ICC profile in JFXX segments\n"
    "right after its SOI (JFXX segments IN.jpg already has are left out).\n"
    "\n"
    "  --app1           APP1 segments, 32-bit chunk numbers (the default)\n"
    "  --app2           APP2 segments, at most 255 chunks\n"
    "  --chunk BYTES    profile bytes a segment carries (default and most: 65503 for\n"
    "                   APP1, 65509 for APP2)\n"
    "  --profile FILE   the profile to embed\n"
    "  --from-icc       the profile of IN.jpg's standard ICC_PROFILE segments\n"
    "\n"
    "Exit status: 0 written, 1 a file refused or not readable/writable, 2 bad usage.\n";

struct Options {
  jfxx::Layout layout = jfxx::Layout::kApp1;
  std::optional<std::size_t> chunk;
  std::string profilePath;
  bool fromIcc = false;
  std::string in;
  std::string out;
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
  if (files.size() != 2) throw UsageError("give IN.jpg and OUT.jpg");
  if (options.chunk && (*options.chunk < 1 || *options.chunk > jfxx::MaxChunk(options.layout))) {
    throw UsageError("--chunk must be 1 to " + std::to_string(jfxx::MaxChunk(options.layout)) +
                     " for this layout");
  }
  options.in = files[0];
  options.out = files[1];
  return options;
}

jfxx::Bytes ReadFile(const std::string& path, std::uintmax_t maxBytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw jfxx::Error(path + ": not a readable file");
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
  std::string temp = (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) /
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

int Run(const Options& options) {
  jfxx::Bytes jpeg = ReadFile(options.in, kMaxJpegBytes);
  jfxx::Bytes profile;
  if (options.fromIcc) {
    try {
      profile = jfxx::ExtractIccProfile(jpeg);
    } catch (const jfxx::Error& e) {
      throw jfxx::Error(options.in + ": " + e.what());
    }
  } else {
    profile = ReadFile(options.profilePath, kMaxProfileBytes);
    try {
      jfxx::CheckProfile(profile);
    } catch (const jfxx::Error& e) {
      throw jfxx::Error(options.profilePath + ": " + e.what());
    }
  }
  std::size_t chunk = options.chunk.value_or(jfxx::MaxChunk(options.layout));
  std::vector<jfxx::Bytes> segments = jfxx::MakeSegments(profile, options.layout, chunk);
  jfxx::Bytes out;
  try {
    out = jfxx::EmbedSegments(jpeg, segments);
  } catch (const jfxx::Error& e) {
    throw jfxx::Error(options.in + ": " + e.what());
  }
  WriteFile(options.out, out);
  return 0;
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
  try {
    return Run(options);
  } catch (const jfxx::Error& e) {
    std::fprintf(stderr, "jfxx-embed: %s\n", e.what());
    return 1;
  }
}
