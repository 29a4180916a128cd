// The command line of lumavox-render: what to render and how the host is set up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumavox_host {

struct CommandLine {
  std::vector<std::string> outputs;  // OUTPUT.DCP as given, one or more (each its own output module)
  std::string input;                 // --input: movie or printf image pattern; empty: test pattern
  std::optional<int> width, height;  // --size WxH
  std::optional<double> fps;         // --fps N (whole or decimal frames per second)
  std::optional<double> seconds;     // --seconds S
  std::optional<int64_t> frames;     // --frames N
  std::string name;                  // --name NAME; empty: the output's base name
  int depth = 16;                    // --depth 8|16
  int threads = 0;                   // --threads N; set to the number of cores by the parser
  std::string options_file;          // --options FILE
  std::string plugin;                // --plugin PATH; set to the module beside the program
  bool dialog = false;               // --dialog: the options dialog before the render
  std::string dialog_script;         // --dialog-script FILE ("-": standard input); implies --dialog
  bool verbose = false;              // --verbose: the plug-in's diagnostics on the terminal too
  bool help = false;                 // --help: print UsageText() and do nothing else
};

// The --help text.
std::string UsageText();

// The plug-in built beside the program at `program_path` (argv[0] or
// /proc/self/exe): that folder plus the module's file name.
std::string DefaultPluginPath(const std::string& program_path);

// Parses argv[1..]. Several OUTPUTs render the composition once into each.
// OUTPUT may be left out only with --dialog and --options:
// the program then sets up, shows the dialog and stores the record. Throws std::invalid_argument with a one-line
// message that names the offending option on any bad argument. `program_path` is used for the default plug-in.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& program_path);

// The output's base name: file name without folder and without its extension
// ("out/demo.DCP" -> "demo").
std::string OutputBaseName(const std::string& output);

// The log file of a render beside its package folder: OUTPUT less ".DCP"
// (in any case, as the plug-in takes it) plus ".log"; an OUTPUT that does not
// end in ".DCP" keeps its whole name ("noext" -> "noext.log").
std::string LogFilePath(const std::string& output);

}  // namespace lumavox_host
