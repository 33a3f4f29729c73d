// Output layout of the XML writer, and the rewrite that keeps a copy of a
// file it would change.
#include "engine/xml_writer.h"

#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "engine/text.h"

namespace brin {

namespace {
// Indentation stops growing past this depth: a deep tree then writes in
// time linear in its size instead of quadratic, and the reader trims the
// indentation anyway.
constexpr int kMaxIndentDepth = 32;
const std::string kIndent(2 * kMaxIndentDepth, ' ');

// A file of one root holding only children with text, the shape the writer
// gives a record.
struct CFlatDocument {
  std::string root;
  std::vector<std::pair<std::string, std::string>> children;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void skipSpace(const std::string& text, std::size_t& pos) {
  while (pos < text.size() && isSpace(text[pos])) ++pos;
}

// A start or end tag holding a bare name, as the writer writes them.
bool readTag(const std::string& text, std::size_t& pos, bool endTag, std::string& name) {
  const std::string open = endTag ? "</" : "<";
  if (text.compare(pos, open.size(), open) != 0) return false;
  const std::size_t close = text.find('>', pos);
  if (close == std::string::npos) return false;
  name = text.substr(pos + open.size(), close - pos - open.size());
  if (name.empty() || name.find_first_of(" \t\r\n<>/!?=\"'&") != std::string::npos) return false;
  pos = close + 1;
  return true;
}

// Element text as the reader sees it: each line trimmed, the lines joined.
std::string readerText(const std::string& raw) {
  std::string out;
  std::size_t begin = 0;
  while (begin <= raw.size()) {
    std::size_t end = raw.find('\n', begin);
    if (end == std::string::npos) end = raw.size();
    std::string line = raw.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += Trim(line);
    begin = end + 1;
  }
  return out;
}

// The same value in another spelling ("30.0" for 30, "1000000" for 1e+06)
// is no change: the file then holds what the player meant.
bool sameValue(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (a.empty() || b.empty()) return false;
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  return *endA == '\0' && *endB == '\0' && x == y;
}

bool flatten(const std::string& text, CFlatDocument& doc) {
  std::size_t pos = 0;
  skipSpace(text, pos);
  if (!readTag(text, pos, false, doc.root)) return false;
  while (true) {
    skipSpace(text, pos);
    std::string name;
    if (text.compare(pos, 2, "</") == 0) {
      if (!readTag(text, pos, true, name) || name != doc.root) return false;
      skipSpace(text, pos);
      return pos == text.size();
    }
    if (!readTag(text, pos, false, name)) return false;
    const std::size_t next = text.find('<', pos);
    if (next == std::string::npos) return false;
    std::string value = readerText(text.substr(pos, next - pos));
    pos = next;
    std::string endName;
    if (!readTag(text, pos, true, endName) || endName != name) return false;
    doc.children.emplace_back(std::move(name), std::move(value));
  }
}

}  // namespace

void CXmlStreamHandler::WriteText(const std::string& text, std::ostream& out) {
  if (!text.empty()) WriteLine(text, out);
}

void CXmlStreamHandler::WriteStartTag(const std::string& name,
                                      const std::map<std::string, CVariant>& attributes,
                                      std::ostream& out) {
  std::ostringstream tag;
  tag << "<" << name;
  if (!attributes.empty()) {
    tag << " ";
    for (const auto& attribute : attributes) {
      tag << attribute.first << "=\"" << attribute.second.ToOutputText() << "\" ";
    }
  }
  tag << ">";
  WriteLine(tag.str(), out);
  ++depth;
}

void CXmlStreamHandler::WriteEndTag(const std::string& name, std::ostream& out) {
  --depth;
  WriteLine("</" + name + ">", out);
}

void CXmlStreamHandler::WriteLine(const std::string& text, std::ostream& out) {
  const int indent = depth < 0 ? 0 : (depth > kMaxIndentDepth ? kMaxIndentDepth : depth);
  out.write(kIndent.data(), 2 * indent);
  out << text << '\n';
}

void CXmlStreamHandler::WriteNode(const CXmlNode& node, std::ostream& out) {
  // Each entry is a node whose start tag, text and first `next` children
  // have been written.
  std::vector<std::pair<const CXmlNode*, int>> open;
  auto start = [&](const CXmlNode& n) {
    std::map<std::string, CVariant> attributes;
    for (int i = 0; i < n.GetAttributeCount(); ++i) {
      attributes.emplace(n.GetAttributeName(i), n.GetAttributeValue(i));
    }
    WriteStartTag(n.GetName(), attributes, out);
    WriteText(n.GetValue(), out);
    open.emplace_back(&n, 0);
  };
  start(node);
  while (!open.empty()) {
    auto& top = open.back();
    if (top.second < top.first->GetChildCount()) {
      const CXmlNode* child = top.first->GetChild(top.second++);
      start(*child);
    } else {
      WriteEndTag(top.first->GetName(), out);
      open.pop_back();
    }
  }
  // One flush for the whole tree rather than one per line: a file of a
  // million lines otherwise spends its time in system calls.
  out.flush();
}

std::string ComposeXmlText(const CXmlNode& root) {
  std::ostringstream out;
  CXmlStreamHandler handler;
  handler.WriteNode(root, out);
  return out.str();
}

bool RewriteChangesContent(const std::string& before, const std::string& after) {
  // An empty file, such as one left by a crash, holds nothing to lose.
  if (before.find_first_not_of(" \t\r\n") == std::string::npos) return false;
  CFlatDocument old;
  CFlatDocument fresh;
  if (!flatten(before, old) || !flatten(after, fresh) || old.root != fresh.root) return true;
  std::map<std::string, std::string> written(fresh.children.begin(), fresh.children.end());
  std::set<std::string> seen;
  for (const auto& child : old.children) {
    // Of a key given twice only one is read back.
    if (!seen.insert(child.first).second) return true;
    const auto found = written.find(child.first);
    if (found == written.end() || !sameValue(found->second, child.second)) return true;
  }
  return false;
}

void RewriteFile(const std::string& path, const std::string& text) {
  const CFileContents old = ReadRegularFile(path);
  if (old.state == FileState::kRead && (old.cut || RewriteChangesContent(old.bytes, text))) {
    if (old.cut) {
      // No whole copy of it could be kept.
      std::cerr << "Could not write " << path << ": it is longer than " << kMaxFileBytes
                << " bytes; the file was left as it was" << std::endl;
      return;
    }
    std::string target;
    if (!ResolveLinks(path, target)) target = path;
    const std::string backup = target + ".bak";
    if (!ReplaceFile(backup, old.bytes, old.mode)) return;
    std::cout << path << " would change when written back; the file as it was is kept in " << backup
              << std::endl;
  }
  ReplaceFile(path, text);
}

}  // namespace brin
