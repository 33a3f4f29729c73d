// The XML writer: turns a CXmlNode tree into indented text, one tag or one
// text per line, that the reader reads back.
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "engine/file_io.h"
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

// The text the writer makes of a tree, as WriteXmlFile puts it in a file.
std::string ComposeXmlText(const CXmlNode& root);

// True when writing `after` over a file that held `before` would change or
// drop something it held: a value, a key, an attribute, a comment, any text.
// Keys that `after` adds, and a number spelled another way ("30.0" for
// "30"), are no change. Only a plain file (one root, simple
// children with text) can be shown to lose nothing; anything else counts as
// a change.
bool RewriteChangesContent(const std::string& before, const std::string& after);

// Replaces `path` with `text` (see ReplaceFile); when that would change what
// the file held, the file as it was is first kept as its name plus ".bak",
// and one line on standard output names both. If the copy cannot be kept,
// the file is not rewritten.
void RewriteFile(const std::string& path, const std::string& text);

// Writes the record's tree to `path` whole or not at all (see ReplaceFile).
template <class Record>
void WriteXmlFile(Record& record, const std::string& path, const std::string& rootName) {
  std::unique_ptr<CXmlNode> root = BuildXmlTree(record, rootName);
  ReplaceFile(path, ComposeXmlText(*root));
}

// Writes the record back over the file it was read from, keeping the old
// file beside it when the rewrite would change what it held.
template <class Record>
void RewriteXmlFile(Record& record, const std::string& path, const std::string& rootName) {
  std::unique_ptr<CXmlNode> root = BuildXmlTree(record, rootName);
  RewriteFile(path, ComposeXmlText(*root));
}

}  // namespace brin
