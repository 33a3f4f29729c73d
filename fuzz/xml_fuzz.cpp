// Fuzz target for the XML reader, the data binding and the writer: arbitrary
// bytes are read as a file, bound into a record, written back and read again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "engine/directory_listing.h"
#include "engine/text.h"
#include "engine/xml_bind.h"
#include "engine/xml_parser.h"
#include "engine/xml_writer.h"
#include "longest_input.h"

namespace {

CLongestInput g_longest("xml_fuzz");

struct FuzzRecord {
  bool flag = false;
  int count = 7;
  float scale = 0.5f;
  std::string label = "x";
  bool flag2 = true;
  int count2 = -3;
  float scale2 = 2.0f;
  std::string label2;

  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "Flag", flag, "fuzz", 1);
    brin::BindField(ctx, "Count", count, "fuzz", 2);
    brin::BindField(ctx, "Scale", scale, "fuzz", 3);
    brin::BindField(ctx, "Label", label, "fuzz", 4);
    brin::BindField(ctx, "Flag", flag2, "fuzz", 5);  // the same name twice
    brin::BindField(ctx, "Count2", count2, "fuzz", 6);
    brin::BindField(ctx, "Scale2", scale2, "fuzz", 7);
    brin::BindField(ctx, "Label2", label2, "fuzz", 8);
  }
};

std::string tempPath(const char* what) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/xml_fuzz_" + std::to_string(getpid()) + "_" + what + ".xml";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_longest.note(size);
  // The binding's warnings go to standard output; silence them once so a
  // long run does not drown its own log.
  static const bool silenced = [] {
    std::cout.setstate(std::ios::failbit);
    return true;
  }();
  (void)silenced;

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string input = tempPath("in");
  const std::string output = tempPath("out");
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  FuzzRecord record;
  brin::ReadXmlFile(record, input, "Root");
  brin::WriteXmlFile(record, output, "Root");
  FuzzRecord again;
  brin::ReadXmlFile(again, output, "Root");

  // The whole tree, attributes included, written and fed back line by line.
  std::unique_ptr<brin::CXmlNode> tree = brin::ParseXmlFile(input);
  if (tree) {
    std::ostringstream text;
    brin::CXmlStreamHandler writer;
    writer.WriteNode(*tree, text);
    brin::CXmlParser parser;
    brin::CXmlHandler handler;
    parser.handler = &handler;
    handler.StartDocument();
    std::istringstream lines(text.str());
    std::string line;
    while (std::getline(lines, line)) parser.ParseLine(line);
    FuzzRecord fromTree;
    if (brin::CXmlNode* root = handler.GetRoot()) brin::BindNode(fromTree, *root, brin::kBindRead);
  }

  // The text helpers on the raw bytes.
  const std::size_t half = bytes.size() / 2;
  brin::CDirectoryListing::MatchMask(bytes.substr(0, half), bytes.substr(half));
  brin::ReplaceAll(bytes.substr(0, half % 5), bytes.substr(half % 5, half % 3), bytes, -1);
  brin::FindOutsideQuotes(" \t", bytes, half);
  brin::ToLower(bytes);
  brin::Trim(bytes);

  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
