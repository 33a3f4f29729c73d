// The XML writer: turns a CXmlNode tree into indented text, one tag or one
// text per line, that the reader reads back.
#pragma once

#include <fstream>
#include <map>
#include <ostream>
#include <string>

#include "engine/xml_bind.h"
#include "engine/xml_parser.h"

namespace brin {

class CXmlStreamHandler : public CXmlHandlerInterface {
 public:
  virtual void WriteText(const std::string& text, std::ostream& out);
  virtual void WriteStartTag(const std::string& name, const std::map<std::string, CVariant>& attributes,
                             std::ostream& out);
  virtual void WriteEndTag(const std::string& name, std::ostream& out);

  // Writes the node and its subtree; a loop, not recursion, so any depth is
  // safe.
  void WriteNode(const CXmlNode& node, std::ostream& out);
  void WriteLine(const std::string& text, std::ostream& out);

  int depth = 0;
};

// Writes the record's tree to `path`, creating or truncating it. A file that
// cannot be created receives nothing and nothing is reported.
template <class Record>
void WriteXmlFile(Record& record, const std::string& path, const std::string& rootName) {
  std::unique_ptr<CXmlNode> root = BuildXmlTree(record, rootName);
  std::ofstream out(path);
  CXmlStreamHandler handler;
  handler.WriteNode(*root, out);
}

}  // namespace brin
