#include "host/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#ifndef LUMAVOX_DEFAULT_PLUGIN
#define LUMAVOX_DEFAULT_PLUGIN "Lumavox.so"
#endif

namespace lumavox_host {

std::string UsageText() {
  return
      "usage: lumavox-render [options] OUTPUT.DCP\n"
      "\n"
      "Renders a composition through the Lumavox output module, as the compositing\n"
      "host would. The package is written to the folder OUTPUT (the path less \".DCP\").\n"
      "\n"
      "options:\n"
      "  --input FILE     a movie file or an image sequence (printf pattern such as\n"
      "                   frames/img%04d.png), read with FFmpeg's libraries and scaled\n"
      "                   to the composition size; its sound (resampled to 48 kHz\n"
      "                   16-bit stereo) is the timeline sound. Without it: a built-in\n"
      "                   moving test pattern and a tone.\n"
      "  --size WxH       composition size in pixels (default: the input's, else 1998x1080)\n"
      "  --fps N          frames per second (default: the input's, else 24)\n"
      "  --seconds S      duration in seconds (default: the input's, else 10)\n"
      "  --frames N       duration in frames (instead of --seconds)\n"
      "  --name NAME      composition name (default: the output's base name)\n"
      "  --depth 8|16     bits per channel of the rendered frames (default 16)\n"
      "  --threads N      host worker threads (default: the number of cores)\n"
      "  --options FILE   a stored options record (the flat bytes a host keeps in its\n"
      "                   project): handed to the set-up when the file exists, and the\n"
      "                   record after set-up written back to it\n"
      "  --plugin PATH    the plug-in library (default: " LUMAVOX_DEFAULT_PLUGIN
      " beside this program)\n"
      "  --help           this text\n"
      "\n"
      "Progress (frames done, frames per second) goes to standard error. The exit\n"
      "status is non-zero, with the plug-in's message, when a callback fails.\n";
}

std::string DefaultPluginPath(const std::string& program_path) {
  std::string folder = ".";
  auto slash = program_path.rfind('/');
  if (slash != std::string::npos) folder = program_path.substr(0, slash == 0 ? 1 : slash);
  if (folder == "/") return "/" LUMAVOX_DEFAULT_PLUGIN;
  return folder + "/" LUMAVOX_DEFAULT_PLUGIN;
}

std::string OutputBaseName(const std::string& output) {
  std::string base = output;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  auto slash = base.rfind('/');
  if (slash != std::string::npos) base = base.substr(slash + 1);
  auto dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
  return base;
}

namespace {

[[noreturn]] void Bad(const std::string& message) { throw std::invalid_argument(message); }

long long ParseInteger(const std::string& option, const std::string& text, long long low, long long high) {
  if (text.empty()) Bad(option + " needs a number");
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || end == text.c_str())
    Bad(option + ": '" + text + "' is not a whole number");
  if (value < low || value > high)
    Bad(option + ": " + text + " is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
  return value;
}

double ParsePositive(const std::string& option, const std::string& text, double high) {
  if (text.empty()) Bad(option + " needs a number");
  errno = 0;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || end == text.c_str() || !std::isfinite(value))
    Bad(option + ": '" + text + "' is not a number");
  if (value <= 0 || value > high) Bad(option + ": " + text + " must be above 0 and at most " + std::to_string(static_cast<long long>(high)));
  return value;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& program_path) {
  CommandLine cl;
  unsigned cores = std::thread::hardware_concurrency();
  cl.threads = cores == 0 ? 1 : static_cast<int>(cores);
  cl.plugin = DefaultPluginPath(program_path);
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!options_done && arg == "--") {
      options_done = true;
      continue;
    }
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!cl.output.empty()) Bad("more than one output given: '" + cl.output + "' and '" + arg + "'");
      cl.output = arg;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
      continue;
    }
    std::string value;
    bool has_inline = false;
    auto eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      has_inline = true;
    }
    static const char* const known[] = {"--input", "--size", "--fps", "--seconds", "--frames", "--name",
                                        "--depth", "--threads", "--options", "--plugin"};
    bool is_known = false;
    for (const char* k : known) is_known = is_known || arg == k;
    if (!is_known) Bad("unknown option '" + arg + "' (see --help)");
    if (!has_inline) {
      if (i + 1 >= argc) Bad(arg + " needs a value");
      value = argv[++i];
    }
    if (arg == "--input") {
      if (value.empty()) Bad("--input needs a file name");
      cl.input = value;
    } else if (arg == "--size") {
      auto x = value.find_first_of("xX");
      if (x == std::string::npos) Bad("--size: '" + value + "' is not WxH (for example 1998x1080)");
      cl.width = static_cast<int>(ParseInteger("--size", value.substr(0, x), 1, 16384));
      cl.height = static_cast<int>(ParseInteger("--size", value.substr(x + 1), 1, 16384));
    } else if (arg == "--fps") {
      cl.fps = ParsePositive("--fps", value, 1000);
    } else if (arg == "--seconds") {
      if (cl.frames) Bad("give either --seconds or --frames, not both");
      cl.seconds = ParsePositive("--seconds", value, 86400);
    } else if (arg == "--frames") {
      if (cl.seconds) Bad("give either --seconds or --frames, not both");
      cl.frames = ParseInteger("--frames", value, 1, 10000000);
    } else if (arg == "--name") {
      if (value.empty()) Bad("--name needs a name");
      cl.name = value;
    } else if (arg == "--depth") {
      if (value != "8" && value != "16") Bad("--depth must be 8 or 16 (got '" + value + "')");
      cl.depth = value == "8" ? 8 : 16;
    } else if (arg == "--threads") {
      cl.threads = static_cast<int>(ParseInteger("--threads", value, 0, 1024));
    } else if (arg == "--options") {
      if (value.empty()) Bad("--options needs a file name");
      cl.options_file = value;
    } else if (arg == "--plugin") {
      if (value.empty()) Bad("--plugin needs a path");
      cl.plugin = value;
    }
  }
  if (cl.help) return cl;
  if (cl.output.empty()) Bad("no output given: lumavox-render [options] OUTPUT.DCP (see --help)");
  if (cl.name.empty()) cl.name = OutputBaseName(cl.output);
  return cl;
}

}  // namespace lumavox_host
