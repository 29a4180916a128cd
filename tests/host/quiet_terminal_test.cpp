// A render in a terminal: the terminal shows the progress line, the
// plug-in's messages and reports and the summary; the plug-in's
// diagnostics go to the log file beside the package folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

// Runs the program on a pseudo-terminal (util-linux's script) and gives
// what the terminal received.
std::string OnTerminal(const std::vector<std::string>& args) {
  std::string command = RenderPath();
  for (const std::string& a : args) command += " '" + a + "'";
  CommandResult r = RunCommand({"script", "-qec", command, "/dev/null"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  return r.out;
}

// The pieces of terminal output between carriage returns and line ends,
// without the erase-to-end-of-line sequence.
std::vector<std::string> Pieces(const std::string& terminal) {
  std::vector<std::string> pieces;
  std::string piece;
  for (size_t i = 0; i <= terminal.size(); ++i) {
    const char c = i < terminal.size() ? terminal[i] : '\n';
    if (c == '\r' || c == '\n') {
      if (!piece.empty()) pieces.push_back(piece);
      piece.clear();
    } else if (c == '\033' && terminal.compare(i, 3, "\033[K") == 0) {
      i += 2;
    } else {
      piece.push_back(c);
    }
  }
  return pieces;
}

bool Starts(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

TEST(QuietTerminal, RenderShowsProgressAndSummaryAndLogsTheDiagnostics) {
  LUMAVOX_REQUIRE_TOOL("script");
  TempDir dir;
  // Enough frames for the progress line to show before the last, which it
  // does a tenth of a second after the one before: five under a sanitizer,
  // where the fourth waits for the first to be encoded, and the program
  // warns of a reel that short.
  const std::string frames = kSanitized ? "5" : "24";
  const std::string terminal = OnTerminal({"--frames", frames, "--size", "2048x858", "--threads", "2", dir / "T.DCP"});
  bool progress = false, summary = false;
  for (const std::string& piece : Pieces(terminal)) {
    const bool known = Starts(piece, "frame ") || Starts(piece, "Calculating security contraints for ") ||
                       Starts(piece, "[") || Starts(piece, "render done: " + frames + " of " + frames + " frames") ||
                       piece == "package: " + dir / "T" || piece == "log: " + dir / "T.log" ||
                       (kSanitized && Starts(piece, "lumavox-render: warning: the composition is " + frames +
                                                        " frame(s), shorter than one second"));
    EXPECT_TRUE(known) << "on the terminal: " << piece;
    progress = progress || Starts(piece, "frame " + frames + "/" + frames + ", ");
    summary = summary || Starts(piece, "render done: ");
  }
  EXPECT_TRUE(progress) << terminal;
  EXPECT_TRUE(summary) << terminal;
  EXPECT_NE(terminal.find(" left"), std::string::npos) << "no time left in the progress line: " << terminal;

  const std::string log = ReadText(dir / "T.log");
  for (const char* diagnostic :
       {"EntryPointFunc", "My_StartAdding", "My_AddFrame", "My_EndAdding", "composition \"T\" 2048x858"}) {
    EXPECT_NE(log.find(diagnostic), std::string::npos) << diagnostic << " is not in the log";
  }
}

TEST(QuietTerminal, VerboseShowsTheDiagnosticsAndMessagesAlwaysShow) {
  LUMAVOX_REQUIRE_TOOL("script");
  TempDir dir;
  // Renders of a frame: the diagnostics and the messages come with any.
  const std::string verbose = OnTerminal({"--frames", "1", "--verbose", dir / "V.DCP"});
  EXPECT_NE(verbose.find("My_AddFrame"), std::string::npos) << verbose;
  EXPECT_NE(ReadText(dir / "V.log").find("My_AddFrame"), std::string::npos);

  // A stored Interop record set up again at 25 fps: the plug-in's message
  // reaches the terminal, its diagnostics do not.
  const std::string stored = dir / "o.bin";
  ASSERT_EQ(MakeOptionsFile(stored).status, 0);
  const std::string quiet = OnTerminal({"--frames", "1", "--fps", "25", "--options", stored, dir / "B.DCP"});
  EXPECT_NE(quiet.find("You have selected InterOp packing style and it only supports 24 fps."), std::string::npos)
      << quiet;
  EXPECT_EQ(quiet.find("My_InitOutputSpec"), std::string::npos) << quiet;
  EXPECT_NE(ReadText(dir / "B.log").find("My_InitOutputSpec"), std::string::npos);
}
