// Helpers shared by every test program: where things are, running the
// independent tools, scratch folders, whole-file reads and writes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumavox_test {

std::string SourceDir();   // the repository
std::string SharedDir();   // the shared folder beside it (reference files, schemas)
std::string PluginPath();  // the built plug-in module
std::string RenderPath();  // the built lumavox-render program

struct CommandResult {
  int status = -1;  // exit status, or -1 when the program could not run or was killed
  std::string out;
  std::string err;
};

// Runs argv[0] (looked up on PATH) with the arguments, no shell involved.
// Standard input is empty; standard output and error are captured.
CommandResult RunCommand(const std::vector<std::string>& argv);

// The same with the environment given (NAME=value texts, null-terminated).
CommandResult RunCommandWithEnvironment(const std::vector<std::string>& argv, char* const* envp);

// Makes the options file `path` as a user does: lumavox-render's options
// dialog, answered by a script that presses OK, after the set-up of the
// composition that `composition` describes (--size, --fps, ...).
CommandResult MakeOptionsFile(const std::string& path, const std::vector<std::string>& composition = {});

// True when the named program is on PATH.
bool HaveTool(const std::string& name);

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// Runs `run` while no file of this process may grow past `bytes`, with the
// signal that the limit raises ignored: the writes past it fail with EFBIG
// ("File too large") rather than end the process.
void WithFileSizeLimit(uint64_t bytes, const std::function<void()>& run);

// Built with a sanitizer, which makes every render some ten times slower:
// there the longest end-to-end renders encode only as many frames as the
// fault their test catches needs, and leave what only a whole package can
// show (the field's checkers, a reel of a second) to the plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace lumavox_test

// Fails the test (never skips it) when an oracle tool is missing: the set-up
// script installs them all.
#define LUMAVOX_REQUIRE_TOOL(name) \
  ASSERT_TRUE(::lumavox_test::HaveTool(name)) << "missing tool " << (name) << ": run scripts/setup.sh"
