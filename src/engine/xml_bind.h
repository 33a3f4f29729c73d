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
  // The file being read, as the player knows it; a value that does not read
  // is reported under this name (the warnings above name `sourceFile`).
  std::string readFrom;

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

// A number is the whole text (blanks around it aside) in decimal, with an
// optional fraction and exponent. Text that is no such number, or whose
// number the field cannot hold (out of range, a fraction for an int, a bool
// other than 0 or 1), leaves the field as it was and returns why, as
// "out of range for an int"; null when the field was set or there was no node.
// Bound fields that do not read are reported on standard output, one line
// each: the file, the key, the text and the value kept.
const char* ReadValue(const CXmlNode* node, bool& field);
const char* ReadValue(const CXmlNode* node, int& field);
const char* ReadValue(const CXmlNode* node, float& field);
const char* ReadValue(const CXmlNode* node, std::string& field);

// The value's text reads back as the same value: a float has six digits
// where they keep it, else all the digits of a whole number, else nine.
std::unique_ptr<CXmlNode> MakeValueNode(bool field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(int field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(float field, const std::string& name);
std::unique_ptr<CXmlNode> MakeValueNode(const std::string& field, const std::string& name);

// Parses a file into a tree; null when the file is missing or holds no element.
std::unique_ptr<CXmlNode> ParseXmlFile(const std::string& path);

// `readFrom` names the file the node came from in the lines about values
// that do not read.
template <class Record>
void BindNode(Record& record, CXmlNode& node, int direction, const std::string& readFrom = std::string()) {
  CXmlBindContext ctx;
  ctx.direction = direction;
  ctx.readFrom = readFrom;
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
  if (root) BindNode(record, *root, kBindRead, path);
}

template <class Record>
std::unique_ptr<CXmlNode> BuildXmlTree(Record& record, const std::string& rootName) {
  auto root = std::make_unique<CXmlNode>(rootName);
  BindNode(record, *root, kBindWrite);
  return root;
}

}  // namespace brin
