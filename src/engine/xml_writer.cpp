// Output layout of the XML writer.
#include "engine/xml_writer.h"

#include <sstream>
#include <utility>
#include <vector>

namespace brin {

namespace {
// Indentation stops growing past this depth: a deep tree then writes in
// time linear in its size instead of quadratic, and the reader trims the
// indentation anyway.
constexpr int kMaxIndentDepth = 32;
const std::string kIndent(2 * kMaxIndentDepth, ' ');
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

}  // namespace brin
