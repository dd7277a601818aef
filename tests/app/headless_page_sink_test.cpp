#include "app/headless_page_sink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

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
  // Root writes through any permission: a folder blocks the name of page 2, and page 3 goes to a
  // device whose writes fail only when the buffered bytes are flushed at the close.
  std::filesystem::create_directory(pages + "/0002.html");
  std::filesystem::create_symlink("/dev/full", pages + "/0003.html");
  const std::string first =
      "<html><body>\r\n[<a href=\"ngid:x\">1<span class=\"popup\">x</span></a>] a <br>\r\n"
      "</body></html>\r\n\x82\xA0";
  for (const std::string& bytes :
       {first, std::string("<p>x</p>"), std::string("y"), std::string()}) {
    TextBuffer page;
    page.assign(bytes.data(), static_cast<uint32_t>(bytes.size()));
    sink.showPage(page);
  }
  EXPECT_TRUE(sink.writeFailed());
  EXPECT_EQ(demo::readFile(pages + "/0001.html"), first);
  EXPECT_TRUE(std::filesystem::is_regular_file(pages + "/0004.html") &&
              std::filesystem::is_empty(pages + "/0004.html"));
  EXPECT_EQ(contents(out),
            "--- page 1 ---\n[1 ID:x] a\n--- page 2 ---\nx\n--- page 3 ---\ny\n--- page 4 ---\n");
  EXPECT_EQ(contents(errors), "vexa: cannot write " + pages +
                                  "/0002.html: Is a directory\nvexa: cannot write " + pages +
                                  "/0003.html: No space left on device\n");
  std::fclose(out);
  std::fclose(errors);
}

}  // namespace
}  // namespace vexa
