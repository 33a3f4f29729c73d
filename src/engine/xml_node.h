// One element of an XML document tree: name, text, attributes in insertion
// order and owned children.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/variant.h"

namespace brin {

// Setting a node's value decodes the five named entities while this is true;
// nothing changes it.
extern const bool decodeEntities;

class CXmlNode {
 public:
  CXmlNode() = default;
  explicit CXmlNode(const std::string& name) : name_(name) {}
  CXmlNode(const CXmlNode&) = delete;
  CXmlNode& operator=(const CXmlNode&) = delete;
  // Tears the subtree down without recursing, so any depth is safe.
  ~CXmlNode();

  CXmlNode* GetParent() const { return parent_; }
  void SetParent(CXmlNode* parent) { parent_ = parent; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  const std::string& GetValue() const { return value_; }
  // Replaces the text, decoding &lt; &gt; &amp; &apos; &quot; in that order.
  void SetValue(const std::string& value);

  // Takes the child, makes this its parent and appends it.
  CXmlNode* AddChild(std::unique_ptr<CXmlNode> child);
  int GetChildCount() const { return static_cast<int>(children_.size()); }
  // Null for an index outside 0..count-1.
  CXmlNode* GetChild(int index) const;

  // The first attribute of a name wins; later ones are dropped.
  void AddAttribute(const std::string& name, const CVariant& value);
  int GetAttributeCount() const { return static_cast<int>(values_.size()); }
  // Empty name / empty variant for a position out of range.
  std::string GetAttributeName(int position) const;
  const CVariant& GetAttributeValue(int position) const;

 private:
  CXmlNode* parent_ = nullptr;
  std::string name_;
  std::string value_;
  std::vector<std::unique_ptr<CXmlNode>> children_;
  std::vector<CVariant> values_;
  std::vector<std::string> names_;  // parallel to values_
  std::map<std::string, int> positions_;
};

}  // namespace brin
