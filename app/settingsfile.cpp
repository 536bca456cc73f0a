#include "app/settingsfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "song/filereader.h"
#include "song/filewriter.h"

namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }
// Blanks, and the rarer spaces a name or a line may begin with.
bool IsSpace(char c) { return IsBlank(c) || IsLineBreak(c) || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Past the line break at pos; CRLF is one break.
size_t PastLineBreak(std::string_view text, size_t pos) {
  if (pos >= text.size() || !IsLineBreak(text[pos])) return pos;
  if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') return pos + 2;
  return pos + 1;
}

int DigitValue(char c, int base) {
  int v = base;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

// The escapes that stand for one character.
constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};

// The escape whose backslash is at s[i - 1]: what it stands for goes to
// out. Returns the position after it.
size_t Unescape(std::string_view s, size_t i, std::string& out) {
  const char e = s[i++];
  for (const auto& [name, stands] : kEscapes) {
    if (e == name) {
      out += stands;
      return i;
    }
  }
  const int base = e == 'x' ? 16 : DigitValue(e, 8) >= 0 ? 8 : 0;
  if (base != 0) {
    uint32_t code = base == 8 ? uint32_t(e - '0') : 0;
    bool digits = base == 8;
    for (int d; i < s.size() && (d = DigitValue(s[i], base)) >= 0; ++i, digits = true)
      code = std::min(code * uint32_t(base) + uint32_t(d), 0x110000u);
    if (digits) AppendUtf8(out, code);
    return i;
  }
  // A line break continues the value on the next line; any other
  // character is dropped, all of its UTF-8 bytes.
  if (e == '\r' && i < s.size() && s[i] == '\n') return i + 1;
  if ((uint8_t(e) & 0xC0) == 0xC0) {
    while (i < s.size() && (uint8_t(s[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// One item's typed form; nothing for "@Invalid()".
std::optional<std::string> Untyped(std::string item) {
  if (item.empty() || item[0] != '@') return item;
  if (item == "@Invalid()") return std::nullopt;
  if (item.compare(0, 2, "@@") == 0) return item.substr(1);
  for (std::string_view type : {"@String(", "@ByteArray("}) {
    if (item.size() > type.size() && item.compare(0, type.size(), type) == 0 && item.back() == ')')
      return item.substr(type.size(), item.size() - type.size() - 1);
  }
  return item;
}

// The text after a key's '=', up to its comment, as the value it stands
// for: quotes, escapes, items and types undone.
std::optional<std::string> DecodeValue(std::string_view s) {
  std::string joined, item;
  bool isList = false, inQuotes = false, itemQuoted = false;
  size_t i = 0, chopLimit = 0;
  // Blanks before an item or after a closing quote are dropped; trailing
  // ones only back to what an escape or a quote wrote.
  auto skipBlanks = [&] {
    while (i < s.size() && IsBlank(s[i])) ++i;
    chopLimit = item.size();
  };
  auto endItem = [&] {
    if (!itemQuoted) {
      while (item.size() > chopLimit && IsBlank(item.back())) item.pop_back();
    }
  };
  skipBlanks();
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\\') {
      if (++i >= s.size()) break;
      i = Unescape(s, i, item);
      chopLimit = item.size();
    } else if (c == '"') {
      ++i;
      itemQuoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipBlanks();
    } else if (c == ',' && !inQuotes) {
      endItem();
      joined += Untyped(std::move(item)).value_or("") + ',';
      isList = true;
      item.clear();
      itemQuoted = false;
      ++i;
      skipBlanks();
    } else {
      const size_t run = std::min(s.find_first_of("\\\",", i + 1), s.size());
      item.append(s.substr(i, run - i));
      i = run;
    }
  }
  endItem();
  std::optional<std::string> last = Untyped(std::move(item));
  return isList ? joined + last.value_or("") : last;
}

// The value as the file writes it: plain where it reads back unchanged,
// else in quotes with escapes. A leading '@' is doubled so that it is not
// read as a type.
std::string EncodeValue(std::string_view value) {
  bool quote = !value.empty() && (IsSpace(value.front()) || IsSpace(value.back()));
  for (char c : value) {
    if (c == '"' || c == '\\' || c == ',' || c == ';' || uint8_t(c) < 0x20 || c == 0x7F)
      quote = true;
  }
  std::string out = quote ? "\"" : "";
  if (!value.empty() && value[0] == '@') out += '@';
  bool hexFollows = false;  // a hex escape would take a hex digit after it
  for (char c : value) {
    const bool hexDigit = DigitValue(c, 16) >= 0;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
    } else if (uint8_t(c) < 0x20 || c == 0x7F || (hexFollows && hexDigit)) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      if (uint8_t(c) >= 0x10) out += kHex[uint8_t(c) >> 4];
      out += kHex[uint8_t(c) & 0x0F];
      hexFollows = true;
      continue;
    } else {
      out += c;
    }
    hexFollows = false;
  }
  if (quote) out += '"';
  return out;
}

}  // namespace

bool cSettingsFile::Load(const std::string& path, std::string* error) {
  Parse({});
  cFileReader file;
  errno = 0;
  if (!file.Open(path)) {
    if (errno == ENOENT) return true;
    if (error != nullptr) *error = path + ": " + std::strerror(errno);
    return false;
  }
  std::string text(file.Size(), '\0');
  file.ReadBytes(text.data(), text.size());
  Parse(text);
  return true;
}

// One line of the file from pos on, and more where a quote or a
// backslash carries it over a line break.
cSettingsFile::cLine cSettingsFile::ReadLine(std::string_view text, size_t* pos) {
  const size_t start = *pos, n = text.size();
  size_t i = start;
  while (i < n && IsSpace(text[i]) && !IsLineBreak(text[i])) ++i;
  const size_t contentBegin = i;
  size_t equals = kNone;
  bool quoted = false, escaped = false, comment = i < n && text[i] == ';';
  while (i < n && !comment) {
    const char c = text[i];
    if (IsLineBreak(c)) {
      if (!quoted) break;
      i = PastLineBreak(text, i);
    } else if (c == '\\') {
      escaped = i + 1 == n;
      i = i + 1 < n && IsLineBreak(text[i + 1]) ? PastLineBreak(text, i + 1) : std::min(i + 2, n);
    } else if (c == ';' && !quoted) {
      comment = true;
    } else {
      if (c == '"') quoted = !quoted;
      if (c == '=' && !quoted && equals == kNone) equals = i;
      ++i;
    }
  }
  const size_t contentEnd = i;
  while (i < n && !IsLineBreak(text[i])) ++i;  // the comment
  *pos = PastLineBreak(text, i);

  cLine line;
  line.raw = text.substr(start, *pos - start);
  line.contentEnd = contentEnd - start;
  // The file ends inside this line: in its quotes, after its backslash or
  // after a line break it escapes. A space for the backslash to drop, a
  // closing quote and a line break end it as it reads.
  line.open = contentEnd == n && !comment;
  if (line.open) line.closing = std::string(escaped ? " " : "") + (quoted ? "\"" : "");
  const std::string_view content = text.substr(contentBegin, contentEnd - contentBegin);
  if (!content.empty() && content[0] == '[') {
    line.kind = eLine::kSection;
    const size_t close = content.find(']');
    line.name = Trim(content.substr(1, close == kNone ? kNone : close - 1));
  } else if (equals != kNone) {
    line.kind = eLine::kKey;
    line.name = Trim(text.substr(contentBegin, equals - contentBegin));
    size_t begin = equals + 1, end = contentEnd;
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    line.valueBegin = begin - start;
    line.valueEnd = end - start;
  }
  return line;
}

void cSettingsFile::Parse(std::string_view text) {
  lines.clear();
  byteOrderMark.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    byteOrderMark = text.substr(0, 3);
    text.remove_prefix(3);
  }
  std::string section;
  for (size_t pos = 0; pos < text.size();) {
    cLine line = ReadLine(text, &pos);
    if (line.kind == eLine::kSection) section = line.name;
    line.section = section;
    lines.push_back(std::move(line));
  }
}

std::string cSettingsFile::Text() const {
  std::string text = byteOrderMark;
  for (const cLine& line : lines) text += line.raw;
  return text;
}

size_t cSettingsFile::Find(std::string_view section, std::string_view key) const {
  for (size_t i = lines.size(); i-- > 0;) {
    const cLine& line = lines[i];
    if (line.kind == eLine::kKey && line.section == section && line.name == key) return i;
  }
  return kNone;
}

std::optional<std::string> cSettingsFile::Value(std::string_view section,
                                                std::string_view key) const {
  const size_t found = Find(section, key);
  if (found == kNone) return std::nullopt;
  const cLine& line = lines[found];
  return DecodeValue(
      std::string_view(line.raw).substr(line.valueBegin, line.contentEnd - line.valueBegin));
}

// The file's first line ending; a file without one gets LF.
std::string cSettingsFile::Ending() const {
  for (const cLine& line : lines) {
    const size_t at = line.raw.find_first_of("\r\n", line.contentEnd);
    if (at != std::string::npos) return line.raw.substr(at, PastLineBreak(line.raw, at) - at);
  }
  return "\n";
}

void cSettingsFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = EncodeValue(value);
  if (const size_t found = Find(section, key); found != kNone) {
    cLine& line = lines[found];
    line.raw.replace(line.valueBegin, line.valueEnd - line.valueBegin, text);
    Parse(Text());
    return;
  }
  // After the section's last key, or after its header when it has none;
  // the keys before the first section begin the file.
  size_t at = section.empty() ? 0 : kNone;
  for (size_t i = 0; i < lines.size(); ++i) {
    if ((lines[i].kind == eLine::kSection && lines[i].name == section) ||
        (lines[i].kind == eLine::kKey && lines[i].section == section))
      at = i + 1;
  }
  const std::string ending = Ending();
  std::string added = std::string(key) + "=" + text + ending;
  if (at == kNone) {
    at = lines.size();
    const bool blankBefore = lines.empty() || Trim(lines.back().raw).empty();
    added = (blankBefore ? "" : ending) + "[" + std::string(section) + "]" + ending + added;
  }
  if (at == lines.size() && !lines.empty()) {
    cLine& last = lines.back();
    if (last.open || !IsLineBreak(last.raw.back())) {
      last.raw += last.closing + ending;
      size_t end = 0;
      if (ReadLine(last.raw, &end).open) last.raw += ending;  // an escaped CR took the LF
    }
  }
  cLine line;
  line.raw = std::move(added);
  lines.insert(lines.begin() + std::ptrdiff_t(at), std::move(line));
  Parse(Text());
}

void cSettingsFile::Set(std::string_view section, std::string_view key, int32_t value) {
  Set(section, key, std::string_view(std::to_string(value)));
}

bool cSettingsFile::Save(const std::string& path, std::string* error) const {
  namespace fs = std::filesystem;
  std::error_code failure;
  fs::path target = fs::weakly_canonical(path, failure);
  if (failure) target = path;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), failure);
  cFileWriter out;
  const std::string text = Text();
  out.WriteBytes(text.data(), text.size());
  if (out.Commit(target.string())) return true;
  if (error != nullptr) *error = path + ": " + std::strerror(errno);
  return false;
}
