#include "host_run.h"

#include <fcntl.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace e2e {

namespace {

// The JSON string value of key in a one-line object, unescaped; empty when absent.
std::string StringField(const std::string& line, const std::string& key) {
  std::string marker = "\"" + key + "\":\"";
  size_t pos = line.find(marker);
  if (pos == std::string::npos) return std::string();
  std::string value;
  for (size_t i = pos + marker.size(); i < line.size() && line[i] != '"'; ++i) {
    if (line[i] != '\\' || i + 1 >= line.size()) {
      value += line[i];
      continue;
    }
    char escaped = line[++i];
    value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
  }
  return value;
}

}  // namespace

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

Screenshot ReadPng(const std::string& path) {
  Screenshot shot;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return shot;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return shot;
  shot.width = static_cast<int>(image.width);
  shot.height = static_cast<int>(image.height);
  shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    shot.pixels[i] =
        (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  }
  return shot;
}

std::vector<LoggedMessage> ReadMessageBoxes(const std::string& path) {
  std::vector<LoggedMessage> messages;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.find("\"caption\":") == std::string::npos) continue;
    LoggedMessage message{StringField(line, "caption"), StringField(line, "text"), 0};
    size_t pos = line.find("\"style\":");
    if (pos != std::string::npos)
      message.style = static_cast<unsigned>(std::atoi(line.c_str() + pos + 8));
    messages.push_back(message);
  }
  return messages;
}

int Run(const HostRun& run) {
  std::string command = "cd " + ShellQuoted(run.workingDirectory) +
                        " && ZIRN_HOME=" + ShellQuoted(run.zirnHome) + " ";
  if (run.timeoutSeconds > 0) command += "timeout -k 5 " + std::to_string(run.timeoutSeconds) + " ";
  command += ShellQuoted(run.nphost);
  for (const std::string& argument : run.arguments) command += " " + ShellQuoted(argument);
  if (!run.errorFile.empty()) command += " 2>" + ShellQuoted(run.errorFile);
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Near(uint32_t a, uint32_t b, int nTolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int diff = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (diff > nTolerance || -diff > nTolerance) return false;
  }
  return true;
}

RunCost RunMeasured(const HostRun& run) {
  // Everything the child needs is made before fork.
  std::vector<std::string> words = {run.nphost};
  words.insert(words.end(), run.arguments.begin(), run.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::string home = "ZIRN_HOME=" + run.zirnHome;
  std::vector<char*> envp = {home.data()};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("ZIRN_HOME=", 0) != 0) envp.push_back(*entry);
  }
  envp.push_back(nullptr);

  RunCost cost;
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    int error = run.errorFile.empty()
                    ? -1
                    : open(run.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (error >= 0) dup2(error, 2);
    if (run.timeoutSeconds > 0) alarm(static_cast<unsigned>(run.timeoutSeconds));  // survives exec
    if (chdir(run.workingDirectory.c_str()) == 0) execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return cost;
  cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.peakKiB = usage.ru_maxrss;
  cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return cost;
}

}  // namespace e2e
