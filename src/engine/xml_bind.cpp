// Field binding, the order warnings and the text conversions of the data
// binding.
#include "engine/xml_bind.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <limits>
#include <locale>
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

const char kNotANumber[] = "not a number";
const char kNotFinite[] = "not a finite number";

std::string trimmed(const std::string& text) {
  const char* const blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

enum class Shape { kNone, kNotFinite, kNumber };

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What the text is as a number, checked by hand: the stream takes the
// longest number it can find at the start ("1e309" is 1 for an int, "12abc"
// is 12), which turns typing mistakes into values nobody wrote.
Shape shapeOf(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::string word = text.substr(i);
  for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (word == "nan" || word == "inf" || word == "infinity") return Shape::kNotFinite;
  size_t digits = 0;
  for (; i < n && isDigit(text[i]); ++i) ++digits;
  if (i < n && text[i] == '.') {
    for (++i; i < n && isDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return Shape::kNone;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent = 0;
    for (; i < n && isDigit(text[i]); ++i) ++exponent;
    if (exponent == 0) return Shape::kNone;
  }
  return i == n ? Shape::kNumber : Shape::kNone;
}

// Converts text already known to be a decimal number; false when the type
// cannot hold it (the stream fails rather than saturate quietly).
template <class T>
bool convert(const std::string& text, T& out) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  in >> out;
  return !in.fail();
}

// Why the text is no number at all, or null when it is one.
const char* notANumber(Shape shape) {
  if (shape == Shape::kNone) return kNotANumber;
  if (shape == Shape::kNotFinite) return kNotFinite;
  return nullptr;
}

// The text as the line about it shows it: one line, and not a whole file.
std::string shown(const std::string& text) {
  constexpr size_t kLongest = 40;
  std::string out = trimmed(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  if (out.size() > kLongest) out = out.substr(0, kLongest) + "...";
  return out;
}

template <class T>
void reportUnread(const CXmlBindContext& ctx, const std::string& name, const CXmlNode& node, const char* why,
                  const T& kept) {
  const std::string file = ctx.readFrom.empty() ? std::string() : ctx.readFrom + ": ";
  std::cout << file << name << " is \"" << shown(node.GetValue()) << "\", " << why << "; using "
            << MakeValueNode(kept, name)->GetValue() << std::endl;
}

template <class T>
void bindScalar(CXmlBindContext& ctx, const std::string& name, T& field, const char* file,
                int line) {
  ctx.line = line;
  ctx.sourceFile = file ? file : "";
  if (ctx.direction == kBindRead) {
    if (!ctx.HasChild(name)) return;
    const CXmlNode* node = ctx.GetChild(name);
    const char* why = ReadValue(node, field);
    if (why && ctx.report) reportUnread(ctx, name, *node, why, field);
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

bool readsBackAs(const std::string& text, float value) {
  float read = 0.0f;
  return convert(text, read) && read == value;
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

// Every number goes through a temporary and is kept only on success.
const char* ReadValue(const CXmlNode* node, bool& field) {
  if (!node) return nullptr;
  const std::string text = trimmed(node->GetValue());
  if (const char* why = notANumber(shapeOf(text))) return why;
  double number = 0;
  if (!convert(text, number) || (number != 0 && number != 1)) return "not 0 or 1";
  field = number == 1;
  return nullptr;
}

const char* ReadValue(const CXmlNode* node, int& field) {
  if (!node) return nullptr;
  const std::string text = trimmed(node->GetValue());
  if (const char* why = notANumber(shapeOf(text))) return why;
  // Every int is exact in a double, so "1.5e3" and "2147483648" are told
  // apart from what an int can hold without a second conversion.
  double number = 0;
  if (!convert(text, number)) return "out of range for an int";
  if (number != std::floor(number)) return "not a whole number";
  if (number < double(std::numeric_limits<int>::min()) || number > double(std::numeric_limits<int>::max()))
    return "out of range for an int";
  field = static_cast<int>(number);
  return nullptr;
}

const char* ReadValue(const CXmlNode* node, float& field) {
  if (!node) return nullptr;
  const std::string text = trimmed(node->GetValue());
  if (const char* why = notANumber(shapeOf(text))) return why;
  // Read as a float itself: a text just above the largest float that still
  // rounds to it (as "3.4028235e38") is that float, not out of range.
  float number = 0.0f;
  if (!convert(text, number)) return "out of range for a float";
  field = number;
  return nullptr;
}

const char* ReadValue(const CXmlNode* node, std::string& field) {
  if (!node) return nullptr;
  stl::stringstream in(node->GetValue());
  field = in.wholeText;
  return nullptr;
}

std::unique_ptr<CXmlNode> MakeValueNode(bool field, const std::string& name) {
  return makeNode(field, name);
}
std::unique_ptr<CXmlNode> MakeValueNode(int field, const std::string& name) {
  return makeNode(field, name);
}
std::unique_ptr<CXmlNode> MakeValueNode(float field, const std::string& name) {
  // Six digits read best, but a value written must read back as the same
  // float: a whole number then as all its digits (a target of 2147483648
  // stays 2147483648, not 2.14748365e+09), anything else with nine, which
  // always do.
  constexpr float kLongestWhole = 1e15f;
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << field;
  if (!readsBackAs(out.str(), field)) {
    out.str("");
    if (std::fabs(field) < kLongestWhole && field == std::nearbyint(field)) {
      out << std::fixed << std::setprecision(0) << field;
    } else {
      out << std::setprecision(9) << field;
    }
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
