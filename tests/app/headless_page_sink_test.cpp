#include "app/headless_page_sink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "tools/demo_board_launcher.h"

namespace vexa {
namespace {

// Everything written to `file` so far.
std::string contents(FILE* file) {
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  return text;
}

TEST(HeadlessPageSinkTest, KeepsEveryPageItCanAndPrintsEachOne) {
  demo::TempDir dir;
  FILE* out = std::tmpfile();
  FILE* errors = std::tmpfile();
  const std::string pages = dir.path + "/a/b";  // missing folders are made
  HeadlessPageSink sink(out, errors, pages);
  std::string error;
  ASSERT_FALSE(sink.prepare(error)) << error;
  // Root writes through any permission: a folder blocks the name of page 2. Links planted at
  // the names of pages 3 to 5 (to a file of someone else's, to a device, to nowhere) are
  // replaced by the pages, never written through.
  std::filesystem::create_directory(pages + "/0002.html");
  const std::string victim = dir.path + "/victim";
  std::FILE* file = std::fopen(victim.c_str(), "wb");
  std::fputs("keep", file);
  std::fclose(file);
  std::filesystem::create_symlink(victim, pages + "/0003.html");
  std::filesystem::create_symlink("/dev/full", pages + "/0004.html");
  std::filesystem::create_symlink(dir.path + "/nowhere", pages + "/0005.html");
  const std::string first =
      "<html><body>\r\n[<a href=\"ngid:x\">1<span class=\"popup\">x</span></a>] a <br>\r\n"
      "</body></html>\r\n\x82\xA0";
  const std::vector<std::string> shown = {first, "<p>x</p>", "y", "z", "w", ""};
  for (const std::string& bytes : shown) {
    TextBuffer page;
    page.assign(bytes.data(), static_cast<uint32_t>(bytes.size()));
    sink.showPage(page);
  }
  EXPECT_TRUE(sink.writeFailed());
  EXPECT_FALSE(sink.outputFailed());
  EXPECT_EQ(demo::readFile(pages + "/0001.html"), first);
  for (int page = 3; page <= 6; ++page) {
    const std::string path = pages + "/000" + std::to_string(page) + ".html";
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) << path;
    EXPECT_EQ(demo::readFile(path), shown[page - 1]) << path;
  }
  EXPECT_EQ(demo::readFile(victim), "keep");
  EXPECT_FALSE(std::filesystem::exists(dir.path + "/nowhere"));
  // Nothing but the pages and the folder in the way is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pages), {}), 6);
  EXPECT_EQ(contents(out),
            "--- page 1 ---\n[1 ID:x] a\n--- page 2 ---\nx\n--- page 3 ---\ny\n--- page 4 ---\nz\n"
            "--- page 5 ---\nw\n--- page 6 ---\n");
  EXPECT_EQ(contents(errors), "vexa: cannot write " + pages + "/0002.html: Is a directory\n");
  std::fclose(out);
  std::fclose(errors);
}

TEST(HeadlessPageSinkTest, SaysWhenTheTextCannotBeWritten) {
  // A full disk; the page is still kept in the folder.
  demo::TempDir dir;
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  HeadlessPageSink sink(full, stderr, dir.path);
  TextBuffer page;
  page.assign("x");
  EXPECT_FALSE(sink.outputFailed());
  sink.showPage(page);
  EXPECT_TRUE(sink.outputFailed());
  EXPECT_TRUE(sink.flushOutput());
  EXPECT_FALSE(sink.writeFailed());
  EXPECT_EQ(demo::readFile(dir.path + "/0001.html"), "x");
  std::fclose(full);
}

}  // namespace
}  // namespace vexa
