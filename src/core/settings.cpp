#include "core/settings.h"

#include <utility>

#include "core/number.h"
#include "core/sjis.h"

namespace dz {
namespace {

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view Unquote(std::string_view v) {
  if (v.size() > 1 && IsQuote(v.front()) && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

// Position of the last ']' that is a character of its own (not the trail
// byte of a double-byte character), or npos.
size_t LastBracket(std::string_view s) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += SjisCharLen(s, i))
    if (s[i] == ']') found = i;
  return found;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A UTF-16 byte order mark; 0xFE and 0xFF are no Shift_JIS bytes at all.
bool StartsAsUtf16(std::string_view b) {
  return b.size() >= 2 && ((b[0] == '\xFF' && b[1] == '\xFE') || (b[0] == '\xFE' && b[1] == '\xFF'));
}

}  // namespace

// ASCII case-insensitive; the trail byte of a double-byte character is
// compared as it is, so two different Japanese characters never match.
bool SameKeyName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    if (SjisCharLen(a, i) == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i]))) return false;
      ++i;
    }
  }
  return true;
}

IniDocument::Line IniDocument::MakeLine(std::string text) {
  Line line;
  line.text = std::move(text);
  std::string_view t = line.text;
  std::string_view body = Trim(t);
  if (body.empty()) return line;
  // Like the system's reader, a ';' line with '=' is a key line too; only
  // names the engine refuses to write can find it. '=' never occurs as a
  // trail byte (those are 0x40 and above).
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return line;
  std::string_view key = Trim(t.substr(0, eq));
  std::string_view val = Trim(t.substr(eq + 1));
  line.isKey = true;
  line.keyPos = static_cast<uint32_t>(key.data() - t.data());
  line.keyLen = static_cast<uint32_t>(key.size());
  line.valPos = static_cast<uint32_t>(val.data() - t.data());
  line.valLen = static_cast<uint32_t>(val.size());
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  doc.sections_.emplace_back();  // lines before the first header
  size_t i = 0;
  while (i < bytes.size()) {
    // CR LF, LF and a lone CR all end a line.
    size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(i, end - i);
    const bool first = i == 0;
    i = end;
    if (i < bytes.size()) i += (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;

    std::string_view body = Trim(text);
    // Editors that save as UTF-8 may put a byte order mark first; it would
    // hide the first section, and with it every key the file holds there.
    // The mark stays in the file.
    if (first && text.substr(0, 3) == "\xEF\xBB\xBF") body = Trim(text.substr(3));
    size_t close = body.empty() || body[0] != '[' ? std::string_view::npos : LastBracket(body);
    if (close != std::string_view::npos) {
      Section s;
      s.hasHeader = true;
      s.header = std::string(text);
      s.name = std::string(body.substr(1, close - 1));
      doc.sections_.push_back(std::move(s));
    } else {
      doc.sections_.back().lines.push_back(MakeLine(std::string(text)));
    }
  }
  return doc;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view section) const {
  for (const Section& s : sections_)
    if (s.hasHeader && SameKeyName(s.name, section)) return &s;
  return nullptr;
}

IniDocument::Section* IniDocument::FindSection(std::string_view section) {
  return const_cast<Section*>(static_cast<const IniDocument*>(this)->FindSection(section));
}

int IniDocument::FindKey(const Section& s, std::string_view key) {
  for (size_t i = 0; i < s.lines.size(); ++i) {
    const Line& l = s.lines[i];
    if (l.isKey && l.keyLen == key.size() &&
        SameKeyName(std::string_view(l.text).substr(l.keyPos, l.keyLen), key))
      return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  int k = FindKey(*s, key);
  if (k < 0) return std::nullopt;
  const Line& l = s->lines[k];
  return std::string(Unquote(std::string_view(l.text).substr(l.valPos, l.valLen)));
}

bool IniDocument::IsValidSection(std::string_view section) {
  // A lead byte at the very end would swallow the closing ']'.
  if (HasLineBreakOrNul(section)) return false;
  size_t i = 0, last = 0;
  for (; i < section.size(); i += SjisCharLen(section, i)) last = i;
  return section.empty() || !(last + 1 == section.size() && IsSjisLead(static_cast<unsigned char>(section[last])));
}

bool IniDocument::IsValidKey(std::string_view key) {
  return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
         key[0] != '[' && key[0] != ';' && Trim(key).size() == key.size();
}

std::string IniDocument::StoredForm(std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  // Wrapped in double quotes, a value keeps its edge blanks and its own
  // surrounding quotes: the reader strips exactly the pair we add.
  if (!v.empty() && (IsBlank(static_cast<unsigned char>(v.front())) ||
                     IsBlank(static_cast<unsigned char>(v.back())) || Unquote(v).size() != v.size()))
    v = '"' + v + '"';
  return v;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsValidSection(section) || !IsValidKey(key)) return false;
  std::string stored = StoredForm(value);
  Section* s = FindSection(section);
  if (!s) {
    Section added;
    added.hasHeader = true;
    added.header = "[" + std::string(section) + "]";
    added.name = std::string(section);
    added.lines.push_back(MakeLine(std::string(key) + "=" + stored));
    sections_.push_back(std::move(added));
    return true;
  }
  int k = FindKey(*s, key);
  if (k >= 0) {
    Line& l = s->lines[k];
    // The name keeps the spelling found in the file.
    std::string text = l.text.substr(l.keyPos, l.keyLen) + "=" + stored;
    if (text == l.text) return false;
    l = MakeLine(std::move(text));
    return true;
  }
  // After the section's last key line, so blank lines and comments that
  // close the section stay where they are.
  size_t at = 0;
  for (size_t i = 0; i < s->lines.size(); ++i)
    if (s->lines[i].isKey) at = i + 1;
  s->lines.insert(s->lines.begin() + at, MakeLine(std::string(key) + "=" + stored));
  return true;
}

bool IniDocument::Remove(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return false;
  int k = FindKey(*s, key);
  if (k < 0) return false;
  s->lines.erase(s->lines.begin() + k);
  return true;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const Section* s = FindSection(section);
  if (!s) return out;
  for (size_t i = 0; i < s->lines.size(); ++i) {
    const Line& l = s->lines[i];
    if (!l.isKey) continue;
    const std::string_view key = std::string_view(l.text).substr(l.keyPos, l.keyLen);
    if (FindKey(*s, key) != static_cast<int>(i)) continue;
    out.emplace_back(std::string(key), std::string(Unquote(std::string_view(l.text).substr(l.valPos, l.valLen))));
  }
  return out;
}

std::string IniDocument::Serialize() const {
  size_t total = 0;
  for (const Section& s : sections_) {
    total += s.header.size() + 2;
    for (const Line& l : s.lines) total += l.text.size() + 2;
  }
  std::string out;
  out.reserve(total);
  for (const Section& s : sections_) {
    if (s.hasHeader) out.append(s.header).append("\r\n");
    for (const Line& l : s.lines) out.append(l.text).append("\r\n");
  }
  return out;
}

namespace {
constexpr int kVanishedWaitMs = 1000;
constexpr int kVanishedPollMs = 10;
// Another program replacing the file again and again between this one's
// read and its write: after so many tries the write fails instead.
constexpr int kReplacedTries = 5;
}  // namespace

SettingsFile::SettingsFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

void SettingsFile::set_path(std::string path) {
  if (path == path_) return;
  Commit();  // pending batch changes belong to the old file
  path_ = std::move(path);
  nextWrite_ = nullptr;
  vanished_ = false;
  doc_ = IniDocument();
  loaded_ = false;
  readable_ = true;
}

void SettingsFile::Refresh(bool writing) {
  if (batch_ > 0 && dirty_) return;  // the batch's own changes win until it ends
  // A write always looks: it must not replace a change made meanwhile.
  if (!writing && hold_ > 0 && heldFresh_ && loaded_) return;
  FileStamp st = fs_.Stamp(path_);
  // A sync service replaces a file by moving the old one aside and then
  // the new one in: a file found gone that was there is most likely on its
  // way back, and a write made in between would create a file that the
  // move then throws away. A write waits a little for it (once per going).
  if (!st.exists && loaded_ && stamp_.exists) vanished_ = true;
  if (writing && vanished_ && !st.exists) {
    vanished_ = false;
    for (int waited = 0; waited < kVanishedWaitMs && !st.exists; waited += kVanishedPollMs) {
      fs_.Pause(kVanishedPollMs);
      st = fs_.Stamp(path_);
    }
  }
  if (st.exists) vanished_ = false;
  if (loaded_ && st == stamp_) {
    if (hold_ > 0) heldFresh_ = true;
    return;
  }
  bool utf16 = false;
  if (!st.exists) {
    doc_ = IniDocument();
  } else if (fs_.ReadWith(path_, [&](std::string_view bytes) {
               // An editor may save the file as UTF-16. Its lines are nothing
               // this engine can read, and a rewrite would break them for the
               // editor too (line ends normalised, Shift_JIS lines added), so
               // the file counts as unreadable until it changes.
               utf16 = StartsAsUtf16(bytes);
               if (!utf16) doc_ = IniDocument::Parse(bytes);
             })) {
    if (utf16) {
      stamp_ = st;
      loaded_ = true;
      readable_ = false;
      return;
    }
  } else {
    // Keep the last good copy for reads, refuse writes, try again next time.
    readable_ = false;
    loaded_ = false;
    return;
  }
  stamp_ = st;
  loaded_ = true;
  readable_ = true;
  ++version_;
  if (hold_ > 0) heldFresh_ = true;
}

bool SettingsFile::Readable() {
  Refresh();
  return readable_;
}

std::optional<std::string> SettingsFile::Get(std::string_view section, std::string_view key) {
  Refresh();
  return doc_.Get(section, key);
}

std::vector<std::pair<std::string, std::string>> SettingsFile::Entries(std::string_view section) {
  Refresh();
  return doc_.Entries(section);
}

std::string SettingsFile::Read(std::string_view section, std::string_view key, std::string_view def,
                               size_t maxChars) {
  std::optional<std::string> v = Get(section, key);
  std::string out = v ? std::move(*v) : std::string(def);
  out.resize(SjisPrefixLen(out, maxChars));
  return out;
}

int32_t SettingsFile::ReadInt(std::string_view section, std::string_view key, int32_t def) {
  std::optional<std::string> v = Get(section, key);
  if (!v) return def;
  return ParseInt(std::string_view(*v).substr(0, SjisPrefixLen(*v, 255)));
}

template <class F>
bool SettingsFile::Change(F&& change) {
  Refresh(true);
  if (!readable_) {
    if (batch_ > 0) batchFailed_ = true;
    return false;
  }
  bool added = false;
  if (nextWrite_) {
    std::function<bool(IniDocument&)> addition = std::move(nextWrite_);
    nextWrite_ = nullptr;
    added = addition(doc_);
    if (added) pending_.push_back(std::move(addition));
  }
  const bool changed = change(doc_);
  if (!changed && !added) return true;  // nothing to write
  if (changed) pending_.push_back(std::forward<F>(change));
  dirty_ = true;
  return batch_ > 0 ? true : Commit();
}

bool SettingsFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!IniDocument::IsValidSection(section) || !IniDocument::IsValidKey(key)) return false;
  return Change([s = std::string(section), k = std::string(key), v = std::string(value)](IniDocument& d) {
    return d.Set(s, k, v);
  });
}

bool SettingsFile::WriteInt(std::string_view section, std::string_view key, int32_t value) {
  return Write(section, key, FormatInt(value));
}

bool SettingsFile::Remove(std::string_view section, std::string_view key) {
  return Change([s = std::string(section), k = std::string(key)](IniDocument& d) { return d.Remove(s, k); });
}

bool SettingsFile::Commit() {
  for (int tries = 1; dirty_; ++tries) {
    // The changes were made on the file as read then: if someone else has
    // replaced it since, moving this one over it would undo theirs.
    const FileStamp read = stamp_;
    bool replaced = false;
    const bool ok = fs_.Replace(path_, doc_.Serialize(), [&] {
      replaced = fs_.Stamp(path_) != read;
      return !replaced;
    });
    if (ok) {
      stamp_ = fs_.Stamp(path_);
      break;
    }
    if (!replaced || tries == kReplacedTries) {
      dirty_ = false;
      pending_.clear();
      loaded_ = false;  // the file kept its content; read it again
      return false;
    }
    if (transaction_ > 0) {
      // Its work decides again on what the file holds now.
      dirty_ = false;
      pending_.clear();
      loaded_ = false;
      replacedMeanwhile_ = true;
      return false;
    }
    if (!ApplyAgain()) return false;
  }
  dirty_ = false;
  pending_.clear();
  return true;
}

bool SettingsFile::ApplyAgain() {
  std::vector<std::function<bool(IniDocument&)>> changes = std::move(pending_);
  pending_.clear();
  loaded_ = false;
  dirty_ = false;
  Refresh(true);
  if (!readable_) return false;
  for (auto& change : changes)
    if (change(doc_)) dirty_ = true;
  pending_ = std::move(changes);
  return true;
}

bool SettingsFile::Transaction(const std::function<bool()>& work) {
  if (batch_ > 0) return work();
  for (int tries = 1;; ++tries) {
    Refresh(true);  // also waits for a file on its way back
    const uint64_t seen = version_;
    ++transaction_;
    replacedMeanwhile_ = false;
    BeginBatch();
    const bool result = work();
    if (version_ != seen && tries < kReplacedTries) {
      // The file changed between work's reads: what it decided on is gone.
      --batch_;
      --transaction_;
      dirty_ = false;
      pending_.clear();
      loaded_ = false;
      continue;
    }
    const bool stored = EndBatch();
    --transaction_;
    if (!replacedMeanwhile_ || tries == kReplacedTries) return result && stored;
  }
}

void SettingsFile::OnNextWrite(std::function<bool(IniDocument&)> addition) { nextWrite_ = std::move(addition); }

void SettingsFile::BeginHold() {
  if (hold_++ == 0) heldFresh_ = false;
}

void SettingsFile::EndHold() {
  if (hold_ > 0) --hold_;
}

void SettingsFile::BeginBatch() {
  if (batch_++ == 0) batchFailed_ = false;
}

bool SettingsFile::EndBatch() {
  if (batch_ == 0) return false;
  if (--batch_ > 0) return true;
  bool ok = Commit();
  return ok && !batchFailed_;
}

}  // namespace dz
