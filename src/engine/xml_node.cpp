// The XML document tree node.
#include "engine/xml_node.h"

#include "engine/text.h"

namespace brin {

const bool decodeEntities = true;

CXmlNode::~CXmlNode() {
  // Children are moved onto a work list and emptied there before they die,
  // so no destructor ever has grandchildren left to recurse into.
  std::vector<std::unique_ptr<CXmlNode>> work;
  for (auto& child : children_) work.push_back(std::move(child));
  children_.clear();
  while (!work.empty()) {
    std::unique_ptr<CXmlNode> node = std::move(work.back());
    work.pop_back();
    for (auto& child : node->children_) work.push_back(std::move(child));
    node->children_.clear();
  }
}

void CXmlNode::SetValue(const std::string& value) {
  value_ = value;
  if (!decodeEntities || value_.find('&') == std::string::npos) return;
  value_ = ReplaceAll("&lt;", "<", value_);
  value_ = ReplaceAll("&gt;", ">", value_);
  value_ = ReplaceAll("&amp;", "&", value_);
  value_ = ReplaceAll("&apos;", "'", value_);
  value_ = ReplaceAll("&quot;", "\"", value_);
}

CXmlNode* CXmlNode::AddChild(std::unique_ptr<CXmlNode> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return children_.back().get();
}

CXmlNode* CXmlNode::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

void CXmlNode::AddAttribute(const std::string& name, const CVariant& value) {
  if (positions_.count(name)) return;
  positions_[name] = static_cast<int>(values_.size());
  values_.push_back(value);
  names_.push_back(name);
}

std::string CXmlNode::GetAttributeName(int position) const {
  if (position < 0 || position >= GetAttributeCount()) return std::string();
  return names_[static_cast<std::size_t>(position)];
}

const CVariant& CXmlNode::GetAttributeValue(int position) const {
  static const CVariant empty;
  if (position < 0 || position >= GetAttributeCount()) return empty;
  return values_[static_cast<std::size_t>(position)];
}

}  // namespace brin
