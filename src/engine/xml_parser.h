// The event-driven XML reader: a line-by-line tag scanner, its event
// interface, and the handler that builds a CXmlNode tree from the events.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/file_io.h"
#include "engine/variant.h"
#include "engine/xml_node.h"

namespace brin {

using CXmlAttributeMap = std::map<std::string, CVariant>;

class CXmlHandlerInterface {
 public:
  virtual ~CXmlHandlerInterface() = default;
  virtual void StartDocument() {}
  virtual void EndDocument() {}
  virtual void Text(const std::string& /*text*/) {}
  virtual void StartElement(const std::string& /*name*/, const CXmlAttributeMap& /*attributes*/) {}
  virtual void EndElement(const std::string& /*name*/) {}
};

// Builds the tree. The handler keeps the root until someone takes it with
// TakeRoot; a root never taken is freed with the handler.
class CXmlHandler : public CXmlHandlerInterface {
 public:
  void StartDocument() override;
  void Text(const std::string& text) override;
  void StartElement(const std::string& name, const CXmlAttributeMap& attributes) override;
  void EndElement(const std::string& name) override;
  virtual CXmlNode* GetRoot() const { return root_.get(); }
  std::unique_ptr<CXmlNode> TakeRoot();

 private:
  std::unique_ptr<CXmlNode> root_;
  CXmlNode* current_ = nullptr;
};

class CXmlParser {
 public:
  // Reads the file line by line (a missing file or empty path gives only the
  // two document events). Only a regular file is read, and only its first
  // kMaxLineBytes of a line and kMaxFileBytes in all; what is skipped or cut
  // is said in one line on standard output.
  void ParseFile(const std::string& path);
  // Feeds one piece of text; the scanner state carries over between calls.
  void ParseLine(const std::string& piece);

  bool trim = true;
  int state = 0;  // 0 outside a tag, 1 inside
  CXmlHandlerInterface* handler = nullptr;
  std::string text;
  std::string tag;
  CXmlAttributeMap attributes;

 private:
  void ParseBytes(const std::string& path, const CFileContents& file);
  void FlushText();
  void ProcessTag();
  // Consumes the attributes of a start tag into `attributes` and returns the
  // element name; false for a tag the dialect cannot split.
  bool SplitAttributes(const std::string& contents, std::string& name);
};

}  // namespace brin
