// Field binding, the order warnings and the text conversions of the data
// binding.
#include "engine/xml_bind.h"

#include <iostream>
#include <iomanip>
#include <sstream>

#include "engine/xml_parser.h"
#include "core/lifetime.h"

namespace brin {

std::list<const void*> g_disownedVariants VESICOR_LIFETIME(lifetime::kDisownedVariants);

bool CXmlBindContext::HasChild(const std::string& name) const {
  if (!current) return false;
  const CXmlNode* atCursor = current->GetChild(cursor);
  if (atCursor && atCursor->GetName() == name) return true;
  for (int i = 0; i < current->GetChildCount(); ++i) {
    if (current->GetChild(i)->GetName() == name) return true;
  }
  return false;
}

CXmlNode* CXmlBindContext::GetChild(const std::string& name) {
  if (!current) return nullptr;
  const int count = current->GetChildCount();
  if (report && cursor >= count) {
    std::cout << "Xml warning, ain't no childs left in the current node: " << current->GetName()
              << " in file: " << sourceFile << " at line " << line << std::endl;
  }
  if (!HasChild(name)) return nullptr;
  // GetChild returns null past the last child, so a cursor beyond the end
  // falls through to the scan below.
  CXmlNode* atCursor = current->GetChild(cursor);
  if (atCursor && atCursor->GetName() == name) {
    ++cursor;
    return atCursor;
  }
  if (report) {
    std::cout << "Xml warning a child node wasn't in the place it should be, order fucked up in node: "
              << current->GetName() << " in file: " << sourceFile << " at line " << line << std::endl;
  }
  // The cursor is left on the found child, not after it: the next field is
  // compared with this same child and warns again.
  for (cursor = 0; cursor < count; ++cursor) {
    CXmlNode* child = current->GetChild(cursor);
    if (child->GetName() == name) return child;
  }
  if (report) {
    std::cout << "Xml error a child node: " << name << " wasn't found at all in the node: "
              << current->GetName() << " in file: " << sourceFile << " at line " << line << std::endl;
  }
  return nullptr;
}

namespace {

template <class T>
void bindScalar(CXmlBindContext& ctx, const std::string& name, T& field, const char* file,
                int line) {
  ctx.line = line;
  ctx.sourceFile = file ? file : "";
  if (ctx.direction == kBindRead) {
    if (ctx.HasChild(name)) ReadValue(ctx.GetChild(name), field);
  } else if (ctx.direction == kBindWrite) {
    if (ctx.current) ctx.current->AddChild(MakeValueNode(field, name));
  }
}

template <class T>
std::unique_ptr<CXmlNode> makeNode(const T& field, const std::string& name) {
  std::ostringstream out;
  out << field;
  auto node = std::make_unique<CXmlNode>(name);
  node->SetValue(out.str());
  return node;
}

}  // namespace

void BindField(CXmlBindContext& ctx, const std::string& name, bool& field, const char* file, int line) {
  bindScalar(ctx, name, field, file, line);
}
void BindField(CXmlBindContext& ctx, const std::string& name, int& field, const char* file, int line) {
  bindScalar(ctx, name, field, file, line);
}
void BindField(CXmlBindContext& ctx, const std::string& name, float& field, const char* file, int line) {
  bindScalar(ctx, name, field, file, line);
}
void BindField(CXmlBindContext& ctx, const std::string& name, std::string& field, const char* file,
               int line) {
  bindScalar(ctx, name, field, file, line);
}

// Since C++11 a failed extraction stores 0 (or the limit of the type), so
// every number goes through a temporary and is kept only on success.
void ReadValue(const CXmlNode* node, bool& field) {
  if (!node) return;
  stl::stringstream in(node->GetValue());
  long number = 0;
  in >> number;
  if (in.fail() || (number != 0 && number != 1)) return;
  field = number == 1;
}

void ReadValue(const CXmlNode* node, int& field) {
  if (!node) return;
  stl::stringstream in(node->GetValue());
  int number = 0;
  in >> number;
  if (!in.fail()) field = number;
}

void ReadValue(const CXmlNode* node, float& field) {
  if (!node) return;
  stl::stringstream in(node->GetValue());
  float number = 0.0f;
  in >> number;
  if (!in.fail()) field = number;
}

void ReadValue(const CXmlNode* node, std::string& field) {
  if (!node) return;
  stl::stringstream in(node->GetValue());
  field = in.wholeText;
}

std::unique_ptr<CXmlNode> MakeValueNode(bool field, const std::string& name) {
  return makeNode(field, name);
}
std::unique_ptr<CXmlNode> MakeValueNode(int field, const std::string& name) {
  return makeNode(field, name);
}
std::unique_ptr<CXmlNode> MakeValueNode(float field, const std::string& name) {
  // Six digits read best, but a value written must read back as the same
  // float; nine digits always do.
  std::ostringstream out;
  out << field;
  std::istringstream back(out.str());
  float read = 0.0f;
  back >> read;
  if (back.fail() || read != field) {
    out.str("");
    out << std::setprecision(9) << field;
  }
  auto node = std::make_unique<CXmlNode>(name);
  node->SetValue(out.str());
  return node;
}
std::unique_ptr<CXmlNode> MakeValueNode(const std::string& field, const std::string& name) {
  auto node = std::make_unique<CXmlNode>(name);
  node->SetValue(field);
  return node;
}

std::unique_ptr<CXmlNode> ParseXmlFile(const std::string& path) {
  CXmlParser parser;
  CXmlHandler handler;
  parser.handler = &handler;
  parser.ParseFile(path);
  return handler.TakeRoot();
}

}  // namespace brin
