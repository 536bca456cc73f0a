#pragma once
// The settings file as text: "[Section]" lines and "Key=Value" lines under
// them. It reads as the program has always read it, and is written back
// with only the keys set changed: every other byte (comments, keys the
// program does not know, blank lines, each line's ending) stays as it was.
//
// Reading:
// - A line whose first character is ';' is a comment, and so is the rest
//   of a line from a ';' outside double quotes. '#' means nothing: a
//   "#Key=1" line is a key named "#Key", which nobody asks for.
// - Section and key names lose their surrounding blanks and are compared
//   with their case. Text after a section's ']' is ignored. A key before the
//   first section is in no section.
// - Of a key given twice in a section, also in a section that appears
//   twice, the last one counts.
// - A value loses the blanks around it. Double quotes keep blanks, ';' and
//   ',' and are dropped themselves; a backslash escapes as in C (\n, \t,
//   \", \\, \x41, \101) and, at the end of a line, continues the value on
//   the next one. Commas outside quotes separate items, which lose their
//   own surrounding blanks and come back joined by ','. A value beginning
//   with '@' has a type: "@Invalid()" is no value, "@@x" is "@x",
//   "@String(x)" and "@ByteArray(x)" are "x".
// - Lines end in LF, CRLF or CR; a UTF-8 byte order mark is skipped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class cSettingsFile {
 public:
  // A missing file reads as an empty one. False, with the reason, when the
  // file is there but cannot be read: the contents are then empty, and
  // saving them would lose the user's file.
  bool Load(const std::string& path, std::string* error);
  void Parse(std::string_view text);
  std::string Text() const;

  // The value of key in section; nothing when the file does not set it.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Sets key in section to value: the line that counts gets the new value
  // (its spacing and comment stay); a key the section lacks is added after
  // the section's last key, and a section the file lacks is added at its
  // end, in the file's own line ending. The value is quoted and escaped as
  // it needs, so that Value gives it back unchanged.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void Set(std::string_view section, std::string_view key, int32_t value);

  // Writes the text to path through a temporary file that replaces it
  // only when it is complete; a failure leaves the file as it was. The
  // folder is made when missing; a link is followed, so the file it
  // points to is the one replaced. False, with the reason, on failure.
  bool Save(const std::string& path, std::string* error) const;

 private:
  enum class eLine { kOther, kSection, kKey };
  struct cLine {
    std::string raw;  // as in the file, line ending included
    eLine kind = eLine::kOther;
    std::string name;                     // the section's name, or the key's
    std::string section;                  // the section a key is in
    size_t valueBegin = 0, valueEnd = 0;  // the value's bytes in raw
    size_t contentEnd = 0;                // where the comment or the line ending begins
    bool open = false;                    // the file ends inside it
    std::string closing;                  // what ends it then
  };

  static cLine ReadLine(std::string_view text, size_t* pos);
  // The index of the line that sets key in section, or npos.
  size_t Find(std::string_view section, std::string_view key) const;
  std::string Ending() const;

  std::string byteOrderMark;
  std::vector<cLine> lines;
};
