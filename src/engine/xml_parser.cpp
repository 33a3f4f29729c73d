// The XML reader's scanner and the tree-building handler. The scanner works
// in loops, never recursing per tag, so any number of tags on a line or any
// nesting depth costs time in proportion to the input and no stack.
#include "engine/xml_parser.h"

#include <iostream>
#include <vector>

#include "engine/file_io.h"
#include "engine/text.h"

namespace brin {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void dropTrailingLineFeeds(std::string& s) {
  while (s.size() >= 2 && s.back() == '\n') s.pop_back();
}

}  // namespace

void CXmlHandler::StartDocument() {
  root_.reset();
  current_ = nullptr;
}

void CXmlHandler::Text(const std::string& value) {
  if (current_) current_->SetValue(value);
}

void CXmlHandler::StartElement(const std::string& name, const CXmlAttributeMap& attributes) {
  // A second top-level element has nowhere to go: it is dropped, and so is
  // everything inside it.
  if (root_ && !current_) return;
  auto node = std::make_unique<CXmlNode>(name);
  for (const auto& attribute : attributes) node->AddAttribute(attribute.first, attribute.second);
  if (root_) {
    current_ = current_->AddChild(std::move(node));
  } else {
    root_ = std::move(node);
    current_ = root_.get();
  }
}

void CXmlHandler::EndElement(const std::string&) {
  if (current_) current_ = current_->GetParent();
}

std::unique_ptr<CXmlNode> CXmlHandler::TakeRoot() {
  current_ = nullptr;
  return std::move(root_);
}

void CXmlParser::ParseFile(const std::string& path) {
  if (handler) handler->StartDocument();
  if (!path.empty()) ParseBytes(path, ReadRegularFile(path));
  if (handler) handler->EndDocument();
}

void CXmlParser::ParseBytes(const std::string& path, const CFileContents& file) {
  if (file.state == FileState::kNotRegular) {
    std::cout << "Skipped " << path << ": not a regular file" << std::endl;
    return;
  }
  const std::string& bytes = file.bytes;
  std::size_t begin = 0;
  while (true) {
    std::size_t end = bytes.find('\n', begin);
    const std::size_t stop = end == std::string::npos ? bytes.size() : end;
    if (stop - begin > kMaxLineBytes) {
      std::cout << "Cut " << path << " after " << begin + kMaxLineBytes << " bytes: a line longer than "
                << kMaxLineBytes << " bytes" << std::endl;
      ParseLine(bytes.substr(begin, kMaxLineBytes));
      return;
    }
    std::string line = bytes.substr(begin, stop - begin);
    // Files saved with Windows line ends must read like any other.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ParseLine(line);
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  if (file.cut) {
    std::cout << "Cut " << path << " after " << kMaxFileBytes << " bytes: the file is longer" << std::endl;
  }
}

void CXmlParser::ParseLine(const std::string& piece) {
  std::size_t pos = 0;
  std::size_t end = piece.size();
  if (trim) {
    while (end > 0 && isBlank(piece[end - 1])) --end;
  }
  while (true) {
    // Whatever follows a tag boundary is trimmed as a piece of its own.
    if (trim) {
      while (pos < end && isBlank(piece[pos])) ++pos;
    }
    if (pos >= end) return;
    const char wanted = state == 0 ? '<' : '>';
    std::size_t at = piece.find(wanted, pos);
    if (at >= end) at = std::string::npos;
    std::string& target = state == 0 ? text : tag;
    if (at == std::string::npos) {
      target.append(piece, pos, end - pos);
      return;
    }
    target.append(piece, pos, at - pos);
    if (state == 0) {
      state = 1;
      FlushText();
    } else {
      state = 0;
      ProcessTag();
    }
    pos = at + 1;
  }
}

void CXmlParser::FlushText() {
  if (trim) dropTrailingLineFeeds(text);
  if (text.empty()) return;
  if (trim) text = Trim(text);
  if (handler) handler->Text(text);
  text.clear();
}

void CXmlParser::ProcessTag() {
  if (trim) {
    tag = Trim(tag);
    dropTrailingLineFeeds(tag);
  }
  if (tag.empty()) return;
  std::string contents;
  contents.swap(tag);
  if (contents[0] == '/') {
    if (handler) handler->EndElement(contents.substr(1));
    return;
  }
  // Comments, document types and XML declarations alike carry no element.
  if (contents[0] == '!' || contents[0] == '?') return;
  // The closing slash comes off first, or the last attribute's value would
  // swallow it along with its closing quote.
  const bool selfClosing = contents.back() == '/';
  if (selfClosing) contents.pop_back();
  std::string name;
  if (contents.find('=') == std::string::npos) {
    name = contents;
  } else if (!SplitAttributes(contents, name)) {
    attributes.clear();
    return;
  }
  if (name.empty()) {
    attributes.clear();
    return;
  }
  if (handler) handler->StartElement(name, attributes);
  attributes.clear();
  if (selfClosing && handler) handler->EndElement(name);
}

bool CXmlParser::SplitAttributes(const std::string& contents, std::string& name) {
  // The remaining contents are always `head` followed by the suffix of
  // `contents` from `tail`: attribute names and values are cut off the end
  // of head and the front of the suffix, so each byte is looked at a bounded
  // number of times however many attributes a tag holds.
  std::string head;
  std::size_t tail = 0;
  const std::size_t end = contents.size();
  // The split trims what it looks at, so leading blanks never reach a name.
  while (tail < end && isBlank(contents[tail])) ++tail;
  std::vector<std::pair<std::string, std::string>> found;
  while (true) {
    const std::size_t eq = contents.find('=', tail);
    if (eq == std::string::npos) break;
    head.append(contents, tail, eq - tail);
    while (!head.empty() && isBlank(head.back())) head.pop_back();
    std::size_t blank = head.size();
    while (blank > 0 && !isBlank(head[blank - 1])) --blank;
    // No blank before the "=": no element name to keep apart from the
    // attribute (an attribute first, or a name and attribute run together).
    if (blank == 0) return false;
    std::string attributeName = head.substr(blank);
    head.resize(blank - 1);

    std::size_t valueBegin = eq + 1;
    while (valueBegin < end && isBlank(contents[valueBegin])) ++valueBegin;
    std::size_t valueEnd = end;
    bool quoted = false;
    for (std::size_t i = valueBegin; i < end; ++i) {
      if (contents[i] == '"') {
        quoted = !quoted;
      } else if (!quoted && isBlank(contents[i])) {
        valueEnd = i;
        break;
      }
    }
    tail = valueEnd;
    const std::string token = Trim(contents.substr(valueBegin, valueEnd - valueBegin));
    if (token.empty()) return false;
    // The first and last characters stand for the quotes and are not checked.
    std::string value = token.size() > 2 ? token.substr(1, token.size() - 2) : std::string();
    found.emplace_back(std::move(attributeName), std::move(value));
  }
  head.append(contents, tail, end - tail);
  name.swap(head);
  for (auto& attribute : found) {
    attributes.emplace(attribute.first, CVariant(attribute.second));
  }
  return true;
}

}  // namespace brin
