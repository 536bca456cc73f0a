// The manual page tells the commands of the command table.

#include "editor/commandhelp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

TEST(CommandHelp, TheManualPageTellsTheTablesCommands) {
  std::ifstream file(MURVELON_SOURCE_DIR "/data/man/murvelon.1");
  std::stringstream all;
  all << file.rdbuf();
  const std::string text = all.str();
  const std::string begin = ".\\\" The commands of the command table begin here.\n";
  const std::string end = ".\\\" The commands of the command table end here.\n";
  const size_t from = text.find(begin), to = text.find(end);
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to)
      << "data/man/murvelon.1 has no command table markers";
  EXPECT_EQ(text.substr(from + begin.size(), to - from - begin.size()), CommandManual())
      << "data/man/murvelon.1 should hold, between its command table markers:\n"
      << CommandManual();
}
