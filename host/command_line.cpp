#include "host/command_line.h"

#include <strings.h>

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
  return "usage: lumavox-render [options] OUTPUT.DCP [OUTPUT2.DCP ...]\n"
         "       lumavox-render --dialog --options FILE [options]\n"
         "\n"
         "Renders a composition through the Lumavox output module, as the compositing\n"
         "host would. The package is written to the folder OUTPUT (the path less \".DCP\").\n"
         "Several OUTPUTs are the output modules of one render-queue item: the\n"
         "composition is rendered once, into each of them, all with the settings of\n"
         "the first; an output whose start the plug-in refuses is named with its\n"
         "message, and the others are made.\n"
         "\n"
         "options:\n"
         "  --input FILE     a movie file or an image sequence (printf pattern such as\n"
         "                   frames/img%04d.png), read with FFmpeg's libraries and scaled\n"
         "                   to the composition size; its sound (resampled to 48 kHz\n"
         "                   16-bit stereo) is the timeline sound. Without it: a built-in\n"
         "                   moving test pattern and a tone.\n"
         "  --size WxH       composition size in pixels (default: the input's, else 1998x1080)\n"
         "  --fps N          frames per second, to the thousandth at most (default: a\n"
         "                   movie's own, else 24)\n"
         "  --seconds S      duration in seconds (default: the input's, else 10)\n"
         "  --frames N       duration in frames (instead of --seconds)\n"
         "  --name NAME      composition name (default: the output's base name)\n"
         "  --depth 8|16     bits per channel of the rendered frames (default 16)\n"
         "  --threads N      host worker threads (default: the number of cores)\n"
         "  --options FILE   a stored options record (the flat bytes a host keeps in its\n"
         "                   project): handed to the set-up, and the record after set-up\n"
         "                   written back to it; a FILE that does not exist is made only\n"
         "                   with --dialog (or --dialog-script)\n"
         "  --plugin PATH    the plug-in library (default: " LUMAVOX_DEFAULT_PLUGIN
         " beside this program)\n"
         "  --dialog         opens the output module's options dialog after the set-up,\n"
         "                   as the host's format-options button does, in a window on\n"
         "                   the display (DISPLAY); the render uses what it ends with.\n"
         "                   OK keeps the changes, Cancel the settings as they were.\n"
         "                   With --options FILE and no OUTPUT: only the set-up and the\n"
         "                   dialog; OK writes the record to FILE, Cancel leaves it.\n"
         "  --dialog-script FILE\n"
         "                   the same dialogs without a window, answered by the user\n"
         "                   actions in FILE (\"-\": standard input), one a line:\n"
         "                     page NAME            open a tab page\n"
         "                     type NAME = TEXT     type into an edit (empty: clears it)\n"
         "                     choose NAME = ITEM   choose a list item (its text, its code\n"
         "                                          such as FTR, or #N for row N)\n"
         "                     tick NAME / clear NAME   tick or clear a check box\n"
         "                     drag NAME = N        drag a track bar to N\n"
         "                     date NAME = YYYY-MM-DD   pick a date\n"
         "                     press NAME           press a button\n"
         "                     file PATH            the next file-open dialog chooses PATH\n"
         "                                          (no PATH: it is cancelled)\n"
         "                     answer BUTTON        the next message box is closed with\n"
         "                                          BUTTON (OK, Cancel, Yes, No, ...)\n"
         "                   NAME is the text on the control, the label beside it, or\n"
         "                   its id; blank lines and lines starting with # are skipped.\n"
         "                   A line that cannot be carried out, or whose file the dialog\n"
         "                   refuses, stops the program with an error naming the line,\n"
         "                   the dialog's message and what is on screen; nothing is\n"
         "                   stored or rendered then. Messages of the dialogs are shown.\n"
         "  --verbose        the plug-in's diagnostics on the terminal as well\n"
         "  --help           this text\n"
         "\n"
         "The terminal shows the progress line (frames done of the total, frames per\n"
         "second, time left), the plug-in's messages and the final summary. The\n"
         "plug-in's diagnostics go to the log file beside the package folder (OUTPUT\n"
         "less \".DCP\" plus \".log\"; the first OUTPUT's). The exit status is non-zero,\n"
         "with the plug-in's message, when a callback fails or any OUTPUT was not made.\n";
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

std::string LogFilePath(const std::string& output) {
  std::string base = output;
  if (base.size() >= 4 && strncasecmp(base.c_str() + base.size() - 4, ".DCP", 4) == 0) base.resize(base.size() - 4);
  return base + ".log";
}

namespace {

[[noreturn]] void Bad(const std::string& message) { throw std::invalid_argument(message); }

long long ParseInteger(const std::string& option, const std::string& text, long long low, long long high) {
  if (text.empty()) Bad(option + " needs a number");
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || end == text.c_str()) Bad(option + ": '" + text + "' is not a whole number");
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
  if (value <= 0 || value > high)
    Bad(option + ": " + text + " must be above 0 and at most " + std::to_string(static_cast<long long>(high)));
  return value;
}

// A rate in plain decimals, at most to the thousandth: the host keeps rates in
// whole thousandths of a frame per second, and a finer one ("24.0001") would
// be rounded, perhaps to a whole rate that it is not.
double ParseFrameRate(const std::string& text) {
  const double value = ParsePositive("--fps", text, 1000);
  if (text.find_first_not_of("0123456789.") != std::string::npos)
    Bad("--fps: '" + text + "' is not a plain decimal number (such as 25 or 23.976)");
  const auto point = text.find('.');
  if (point != std::string::npos) {
    const auto last = text.find_last_not_of('0');
    if (last != std::string::npos && last > point + 3)
      Bad("--fps: '" + text + "' is finer than a thousandth of a frame per second");
  }
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
      if (arg.empty()) Bad("an empty OUTPUT was given: each output is a path such as out/film.DCP");
      cl.outputs.push_back(arg);
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
      continue;
    }
    if (arg == "--dialog") {
      cl.dialog = true;
      continue;
    }
    if (arg == "--verbose") {
      cl.verbose = true;
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
    static const char* const known[] = {"--input", "--size",    "--fps",     "--seconds", "--frames",       "--name",
                                        "--depth", "--threads", "--options", "--plugin",  "--dialog-script"};
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
      cl.fps = ParseFrameRate(value);
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
    } else if (arg == "--dialog-script") {
      if (value.empty()) Bad("--dialog-script needs a file name (\"-\" for standard input)");
      cl.dialog_script = value;
      cl.dialog = true;
    }
  }
  if (cl.help) return cl;
  if (cl.outputs.empty() && !(cl.dialog && !cl.options_file.empty()))
    Bad("no output given: lumavox-render [options] OUTPUT.DCP, or --dialog --options FILE (see --help)");
  if (cl.outputs.empty()) {
    if (cl.name.empty()) cl.name = OutputBaseName(cl.options_file);
    return cl;
  }
  if (cl.name.empty()) cl.name = OutputBaseName(cl.outputs.front());
  return cl;
}

}  // namespace lumavox_host
