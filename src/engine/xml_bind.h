// Data binding: one Bind routine per record moves its fields between the
// record and the children of an XML element, in either direction.
#pragma once

#include <list>
#include <memory>
#include <sstream>
#include <string>

#include "engine/xml_node.h"

namespace brin {

// Kept for the program's start-up order; variants copy their values, so
// nothing is ever entered here.
extern std::list<const void*> g_disownedVariants;

namespace stl {
// An input string stream that also keeps the whole text it was made from,
// which is what a string field receives (blanks included).
class stringstream : public std::istringstream {
 public:
  explicit stringstream(const std::string& text) : std::istringstream(text), wholeText(text) {}
  std::string wholeText;
};
}  // namespace stl

enum : int { kBindRead = 0, kBindWrite = 1 };

struct CXmlBindContext {
  std::string sourceFile;
  int line = 0;
  bool report = true;
  int direction = kBindRead;
  CXmlNode* root = nullptr;
  CXmlNode* current = nullptr;
  int cursor = 0;

  // Whether `current` has a child of that name; no side effect.
  bool HasChild(const std::string& name) const;
  // The child that supplies the field named `name`, warning on standard
  // output when it is not where the declared order expects it.
  CXmlNode* GetChild(const std::string& name);
};

void BindField(CXmlBindContext& ctx, const std::string& name, bool& field, const char* file, int line);
void BindField(CXmlBindContext& ctx, const std::string& name, int& field, const char* file, int line);
void BindField(CXmlBindContext& ctx, const std::string& name, float& field, const char* file, int line);
void BindField(CXmlBindContext& ctx, const std::string& name, std::string& field, const char* file,
               int line);

// Text that does not convert (and, for a bool, any number but 0 or 1, and
// numbers out of range) leaves the field as it was.
void ReadValue(const CXmlNode* node, bool& field);
void ReadValue(const CXmlNode* node, int& field);
void ReadValue(const CXmlNode* node, float& field);
void ReadValue(const CXmlNode* node, std::string& field);

std::unique_ptr<CXmlNode> MakeValueNode(bool field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(int field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(float field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(const std::string& field, const std::string& name);

// Parses a file into a tree; null when the file is missing or holds no element.
std::unique_ptr<CXmlNode> ParseXmlFile(const std::string& path);

template <class Record>
void BindNode(Record& record, CXmlNode& node, int direction) {
  CXmlBindContext ctx;
  ctx.direction = direction;
  ctx.root = &node;
  ctx.current = &node;
  record.Bind(ctx);
}

// The document's root is bound whatever it is called; a missing file leaves
// the record as it was and prints nothing.
template <class Record>
void ReadXmlFile(Record& record, const std::string& path, const std::string& rootName) {
  (void)rootName;
  std::unique_ptr<CXmlNode> root = ParseXmlFile(path);
  if (root) BindNode(record, *root, kBindRead);
}

template <class Record>
std::unique_ptr<CXmlNode> BuildXmlTree(Record& record, const std::string& rootName) {
  auto root = std::make_unique<CXmlNode>(rootName);
  BindNode(record, *root, kBindWrite);
  return root;
}

}  // namespace brin
