// The field's own DCP checkers (the track-file library's tools, the package
// verifier, ClairMeta, the codestream verifier), run on what we write.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace lumavox_test {

// True when the checkers' folder is there, beside the repository.
bool HaveCheckers();

// Runs one of the checkers' programs (argv[0] is its name, e.g. "dcpverify")
// with their libraries on the library path.
CommandResult RunChecker(const std::vector<std::string>& argv);

// The verifier's findings on a package folder: its "Error:" lines. The
// stricter SMPTE Bv2.1 lines are left out (the system does not claim that
// profile). A verifier that could not run or crashed gives one line saying so.
std::vector<std::string> DcpVerifyErrors(const std::string& package_dir, bool interop);

// ClairMeta's check of a package folder; status 0 when it succeeds.
CommandResult ClairMetaCheck(const std::string& package_dir);

// Joins lines for a failure message.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace lumavox_test

// Fails (never skips) when the checkers are missing.
#define LUMAVOX_REQUIRE_CHECKERS() \
  ASSERT_TRUE(::lumavox_test::HaveCheckers()) << "missing " << ::lumavox_test::SharedDir() << "/checkers"
