// The manual page tells the commands of the command table.

#include "editor/commandhelp.h"

#include <gtest/gtest.h>

#include "support/manualsection.h"

TEST(CommandHelp, TheManualPageTellsTheTablesCommands) {
  const std::optional<std::string> section = ManualSection("commands of the command table");
  ASSERT_TRUE(section) << "data/man/murvelon.1 has no command table markers";
  EXPECT_EQ(*section, CommandManual())
      << "data/man/murvelon.1 should hold, between its command table markers:\n"
      << CommandManual();
}
