#include "tests/support/checkers.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

extern char** environ;

namespace lumavox_test {
namespace fs = std::filesystem;

namespace {

std::string CheckersDir() { return SharedDir() + "/checkers"; }

// The checkers' library folder may hold its version links as small text
// files naming their target (links do not survive every copy). Builds a
// folder of real links beside the test programs and returns it.
std::string LibraryDir() {
  static std::once_flag once;
  static std::string dir;
  std::call_once(once, [] {
    fs::path target = fs::path(LUMAVOX_BIN_DIR) / ("checkers-lib-" + std::to_string(getpid()));
    std::error_code ec;
    fs::create_directories(target, ec);
    for (const auto& entry : fs::directory_iterator(CheckersDir() + "/lib", ec)) {
      fs::path source = entry.path();
      if (entry.is_regular_file() && entry.file_size() < 256) {
        std::ifstream in(source);
        std::string name;
        std::getline(in, name);
        if (!name.empty() && name.find('/') == std::string::npos) source = source.parent_path() / name;
      }
      fs::path link = target / entry.path().filename();
      fs::remove(link, ec);
      fs::create_symlink(source, link, ec);
    }
    dir = target.string();
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    });
  });
  return dir;
}

std::vector<std::string> CheckerEnvironment() {
  std::vector<std::string> env;
  std::string path = CheckersDir() + "/bin";
  std::string libs = LibraryDir();
  for (char** e = environ; *e; ++e) {
    std::string var(*e);
    if (var.rfind("PATH=", 0) == 0) {
      path += ":" + var.substr(5);
    } else if (var.rfind("LD_LIBRARY_PATH=", 0) == 0) {
      libs += ":" + var.substr(16);
    } else if (var.rfind("LD_PRELOAD=", 0) == 0 || var.rfind("ASAN_OPTIONS=", 0) == 0 ||
               var.rfind("LIBDCP_RESOURCES=", 0) == 0) {
      continue;
    } else {
      env.push_back(var);
    }
  }
  env.push_back("PATH=" + path);
  env.push_back("LD_LIBRARY_PATH=" + libs);
  env.push_back("LIBDCP_RESOURCES=" + CheckersDir() + "/share/libdcp");
  return env;
}

}  // namespace

bool HaveCheckers() { return fs::exists(CheckersDir() + "/bin/dcpverify"); }

CommandResult RunChecker(const std::vector<std::string>& argv) {
  CommandResult result;
  if (argv.empty()) return result;
  std::vector<std::string> env = CheckerEnvironment();
  std::vector<char*> envp;
  envp.reserve(env.size() + 1);
  for (auto& v : env) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string program = argv[0].find('/') == std::string::npos ? CheckersDir() + "/bin/" + argv[0] : argv[0];

  std::vector<std::string> args = argv;
  args[0] = program;
  return RunCommandWithEnvironment(args, envp.data());
}

std::vector<std::string> DcpVerifyErrors(const std::string& package_dir, bool interop) {
  std::vector<std::string> args = {"dcpverify", "-q"};
  if (interop) args.push_back("--ignore-bv21-smpte");
  args.push_back(package_dir);
  CommandResult r = RunChecker(args);
  std::vector<std::string> errors;
  std::istringstream lines(r.out + "\n" + r.err);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("Error:", 0) == 0) errors.push_back(line);
  }
  if (r.status < 0 || (r.status != 0 && errors.empty())) {
    errors.push_back("dcpverify ended with status " + std::to_string(r.status) + ": " + r.err.substr(0, 2000));
  }
  return errors;
}

// The checkers' own launcher puts their library folder first on the library
// path; ClairMeta runs here directly so that our folder of links is used.
CommandResult ClairMetaCheck(const std::string& package_dir) {
  const std::string launcher = "PYTHONPATH=" + CheckersDir() + "/share/clairmeta";
  return RunChecker({"/usr/bin/env", launcher, "PYTHONDONTWRITEBYTECODE=1", "/usr/bin/python3", "-m", "clairmeta.cli",
                     "check", "-type", "dcp", package_dir});
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  return all;
}

}  // namespace lumavox_test
