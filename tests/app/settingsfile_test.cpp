// The settings file read as users' files have always been read (each
// expected value here is what the program read from that line before it had
// a reader of its own), and written back changing only the key set.

#include "app/settingsfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ReadCase {
  const char* text;
  const char* section;
  const char* key;
  std::optional<std::string> value;
};

const ReadCase kReadCases[] = {
    // Device names and paths.
    {"[DirectSound]\nDevice=hw:CARD=PCH,DEV=0\n", "DirectSound", "Device", "hw:CARD=PCH,DEV=0"},
    {"[DirectSound]\nDevice = hw:CARD=PCH, DEV=0 \n", "DirectSound", "Device", "hw:CARD=PCH,DEV=0"},
    {"[DirectSound]\nDevice=\"hw:CARD=PCH, DEV=0\"\n", "DirectSound", "Device",
     "hw:CARD=PCH, DEV=0"},
    {"[DirectSound]\nDevice=\"My Card\" ; the USB one\n", "DirectSound", "Device", "My Card"},
    {"[DirectSound]\nDevice=My Card # the USB one\n", "DirectSound", "Device",
     "My Card # the USB one"},
    {"[DirectSound]\nDevice=wav:/tmp/a;b.wav\n", "DirectSound", "Device", "wav:/tmp/a"},
    {"[DirectSound]\nDevice=\"wav:/tmp/a;b.wav\"\n", "DirectSound", "Device", "wav:/tmp/a;b.wav"},
    {"[DirectSound]\nDevice=say \"hi\" there\n", "DirectSound", "Device", "say hithere"},
    {"[DirectSound]\nDevice=C:\\\\x\\\\y\\tz\n", "DirectSound", "Device", "C:\\x\\y\tz"},
    {"[DirectSound]\nDevice=pulse\\\nmore\n", "DirectSound", "Device", "pulsemore"},
    {"[DirectSound]\nDevice=\n", "DirectSound", "Device", ""},
    {"[DirectSound]\nDevice=@Invalid()\n", "DirectSound", "Device", std::nullopt},
    {"[DirectSound]\nDevice=@@x\n", "DirectSound", "Device", "@x"},
    // Comments: ';' starts one, '#' does not.
    {"; mine\n# also mine\n[Tracker]\n#BPM=99\n;BPM=98\nBPM=141\n", "Tracker", "BPM", "141"},
    {"[Tracker]\n#BPM=99\n", "Tracker", "#BPM", "99"},
    {"[Tracker]\nBPM=140 ; fast\n", "Tracker", "BPM", "140"},
    {"[Tracker]\nBPM=140;fast\n", "Tracker", "BPM", "140"},
    {"[Tracker] ; the editor\nBPM=154\n", "Tracker", "BPM", "154"},
    // Line endings and a byte order mark.
    {"[Tracker]\r\nBPM=142\r\nSpeed=4\r\n", "Tracker", "BPM", "142"},
    {"[Tracker]\rBPM=142\rSpeed=4\r", "Tracker", "Speed", "4"},
    {"\xEF\xBB\xBF[Tracker]\nBPM=157\n", "Tracker", "BPM", "157"},
    {"[Tracker]\nBPM=\"14\n0\"\nSpeed=4\n", "Tracker", "BPM", "14\n0"},
    {"[Tracker]\nBPM=\"14\n0\"\nSpeed=4\n", "Tracker", "Speed", "4"},
    // Where a key belongs, and which one counts.
    {"BPM=150\n[Tracker]\nSpeed=3\n", "Tracker", "BPM", std::nullopt},
    {"BPM=150\n[Tracker]\nSpeed=3\n", "", "BPM", "150"},
    {"[Tracker]\nBPM=150\nBPM=151\n", "Tracker", "BPM", "151"},
    {"[Tracker]\nBPM=150\n[DirectSound]\nBPM=1\n[Tracker]\nBPM=152\n", "Tracker", "BPM", "152"},
    {"[Tracker]\nBPM=150\n[DirectSound]\n[Tracker]\nSpeed=5\n", "Tracker", "BPM", "150"},
    // Names: trimmed, with their case.
    {"[ Tracker ]\n  BPM  =  153  \n", "Tracker", "BPM", "153"},
    {"[Tracker]x\nBPM=155\n", "Tracker", "BPM", "155"},
    {"[Tracker\nBPM=155\n", "Tracker", "BPM", "155"},
    {"[tracker]\nBPM=150\n", "Tracker", "BPM", std::nullopt},
    {"[Tracker]\nbpm=150\n", "Tracker", "BPM", std::nullopt},
    {"[Tracker]\nBPM\nSpeed=4\n", "Tracker", "BPM", std::nullopt},
};

TEST(SettingsFile, ReadsEveryLineAsTheProgramAlwaysHas) {
  for (const ReadCase& c : kReadCases) {
    cSettingsFile file;
    file.Parse(c.text);
    EXPECT_EQ(file.Value(c.section, c.key), c.value) << c.text;
    EXPECT_EQ(file.Text(), c.text);
  }
}

struct WriteCase {
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

const WriteCase kWriteCases[] = {
    // The value changes; its spacing and comment stay.
    {"[Tracker]\nBPM = 140 ; fast\n", "Tracker", "BPM", "150", "[Tracker]\nBPM = 150 ; fast\n"},
    // A new key after the section's last key, in the file's line ending;
    // the comment and unknown key stay where they were.
    {"[DirectSound]\r\nLatency=40\r\nMine=1\r\n\r\n; the editor\r\n[Tracker]\r\nBPM=1\r\n",
     "DirectSound", "Device", "hw:0,0",
     "[DirectSound]\r\nLatency=40\r\nMine=1\r\nDevice=\"hw:0,0\"\r\n\r\n; the editor\r\n"
     "[Tracker]\r\nBPM=1\r\n"},
    // A new section at the end of a file without a last line break.
    {"[DirectSound]\nLatency=40", "Tracker", "BPM", "99",
     "[DirectSound]\nLatency=40\n\n[Tracker]\nBPM=99\n"},
    {"", "DirectSound", "Device", "null", "[DirectSound]\nDevice=null\n"},
    // The key that counts is the one changed.
    {"[Tracker]\nBPM=1\nBPM=2\n", "Tracker", "BPM", "3", "[Tracker]\nBPM=1\nBPM=3\n"},
    {"[Tracker]\nBPM=1\n[DirectSound]\n[Tracker]\n", "Tracker", "Speed", "4",
     "[Tracker]\nBPM=1\n[DirectSound]\n[Tracker]\nSpeed=4\n"},
    {"BPM=1\n[Tracker]\n", "Tracker", "BPM", "2", "BPM=1\n[Tracker]\nBPM=2\n"},
    {"[tracker]\nbpm=1\n", "Tracker", "BPM", "2", "[tracker]\nbpm=1\n\n[Tracker]\nBPM=2\n"},
    // A file that ends inside quotes, or after a backslash, is ended as it
    // read before the new line follows.
    {"[Tracker]\nName=\"x", "Tracker", "BPM", "1", "[Tracker]\nName=\"x\"\nBPM=1\n"},
    {"[Tracker]\nName=x\\", "Tracker", "BPM", "1", "[Tracker]\nName=x\\ \nBPM=1\n"},
    // Values that need quotes or escapes to read back.
    {"[DirectSound]\nDevice=null\n", "DirectSound", "Device", " say \"hi\"; C:\\x ",
     "[DirectSound]\nDevice=\" say \\\"hi\\\"; C:\\\\x \"\n"},
    {"[DirectSound]\nDevice=null\n", "DirectSound", "Device", "@home",
     "[DirectSound]\nDevice=@@home\n"},
};

TEST(SettingsFile, WritingChangesOnlyTheKeySet) {
  for (const WriteCase& c : kWriteCases) {
    cSettingsFile file;
    file.Parse(c.before);
    file.Set(c.section, c.key, std::string_view(c.value));
    EXPECT_EQ(file.Text(), c.after) << c.before;
  }
}

// Whatever the file and the value, the value reads back and every other
// key reads as before.
TEST(SettingsFile, EveryValueSetReadsBackAndNoOtherKeyChanges) {
  const std::string values[] = {
      "hw:CARD=PCH,DEV=0",       " lead", "a;b", "say \"hi\"", "C:\\x", "@x", "line\nbreak",
      std::string("\x01") + "1", "",      "#x",  "\xC3\xA9"};
  const std::pair<const char*, const char*> keys[] = {
      {"Tracker", "BPM"}, {"Tracker", "Speed"}, {"DirectSound", "Device"}, {"", "BPM"}};
  std::vector<std::string> texts;
  for (const ReadCase& c : kReadCases) texts.push_back(c.text);
  for (const WriteCase& c : kWriteCases) texts.push_back(c.before);
  for (const std::string& text : texts) {
    for (const auto& [section, key] : keys) {
      for (const std::string& value : values) {
        cSettingsFile file;
        file.Parse(text);
        std::vector<std::optional<std::string>> before;
        for (const auto& [s, k] : keys) before.push_back(file.Value(s, k));
        file.Set(section, key, value);
        cSettingsFile again;
        again.Parse(file.Text());
        for (size_t i = 0; i < std::size(keys); ++i) {
          const bool set = keys[i].first == section && keys[i].second == key;
          EXPECT_EQ(again.Value(keys[i].first, keys[i].second), set ? value : before[i])
              << text << " set " << section << "/" << key << " to " << value;
        }
      }
    }
  }
}

struct SettingsFolder : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("murvelon-settings-" + std::to_string(::getpid()));
  void SetUp() override { fs::remove_all(dir); }
  void TearDown() override { fs::remove_all(dir); }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

// A settings file kept elsewhere and linked in stays where it is: the link
// is followed. A missing folder is made.
TEST_F(SettingsFolder, SavingFollowsALinkAndMakesTheFolder) {
  fs::create_directories(dir / "dotfiles");
  std::ofstream(dir / "dotfiles" / "murvelon.ini") << "[Tracker]\nBPM=1\n";
  fs::create_directories(dir / "config");
  fs::create_symlink(dir / "dotfiles" / "murvelon.ini", dir / "config" / "murvelon.ini");
  cSettingsFile file;
  std::string error;
  ASSERT_TRUE(file.Load((dir / "config" / "murvelon.ini").string(), &error)) << error;
  file.Set("Tracker", "BPM", 2);
  ASSERT_TRUE(file.Save((dir / "config" / "murvelon.ini").string(), &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "config" / "murvelon.ini"));
  EXPECT_EQ(Read(dir / "dotfiles" / "murvelon.ini"), "[Tracker]\nBPM=2\n");

  ASSERT_TRUE(file.Save((dir / "new" / "murvelon.ini").string(), &error)) << error;
  EXPECT_EQ(Read(dir / "new" / "murvelon.ini"), "[Tracker]\nBPM=2\n");
}

// A missing file is an empty one; one that cannot be read is an error, so
// that nothing is saved over it.
TEST_F(SettingsFolder, AFileThatCannotBeReadIsNotTakenForAnEmptyOne) {
  cSettingsFile file;
  std::string error;
  EXPECT_TRUE(file.Load((dir / "missing.ini").string(), &error));
  EXPECT_EQ(file.Text(), "");
  fs::create_directories(dir / "folder.ini");
  EXPECT_FALSE(file.Load((dir / "folder.ini").string(), &error));
  EXPECT_NE(error.find("folder.ini"), std::string::npos);
}

}  // namespace
