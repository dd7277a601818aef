#include "board_fixture.h"

#include <chrono>

#include "base/sjis.h"

namespace vexa::testing {

bool ScriptTask::waitFor(const std::function<bool()>& condition, const std::string& what) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "timed out waiting for " << what;
      return false;
    }
    yield();
  }
  return true;
}

void ScriptTask::run() {
  body_(*this);
  loop_.stop();
}

std::string menuPage(const std::string& boardLink, const std::string& title) {
  return std::string("<HTML><BODY><B>") + "ニュース"_sjis + "</B><BR>\n" +
         "<A HREF=http://news.example/news/>" + "ニュース速報"_sjis + "</A><br>\n" +
         "<A HREF=" + boardLink + ">" + title + "</A><br>\n" +
         "<A HREF=http://other.example/other/>" + "雑談"_sjis + "</A><br>\n</BODY></HTML>\n";
}

std::string subjectLine(const std::string& key, const std::string& title, uint32_t count) {
  return key + "<>" + title + " (" + std::to_string(count) + ")\n";
}

std::string datLine(const std::string& id, const std::string& body) {
  std::string date = "2024/01/01(" + std::string("月"_sjis) + ") 00:00:00.00";
  if (!id.empty()) date += " ID:" + id;
  return std::string("名無しさん"_sjis) + "<>sage<>" + date + "<> " + body + " <>\n";
}

std::string datLines(uint32_t first, uint32_t last) {
  std::string lines;
  for (uint32_t n = first; n <= last; ++n) {
    lines += datLine("id" + std::to_string(n % 5), "post " + std::to_string(n));
  }
  return lines;
}

std::string threadPage(const std::string& key) {
  return std::string("<html><head><title>t</title></head><body>") + "<a href=\"../live/\">" +
         "掲示板に戻る"_sjis + "</a>\n" + "<form method=post action=\"../test/bbs.cgi\">" +
         "<input type=submit value=\"" + "書き込む"_sjis + "\" name=\"submit\">" +
         "<input type=hidden name=bbs value=live><input type=hidden name=key value=" + key +
         "><input type=hidden name=time value=1700000000>" +
         "<textarea name=MESSAGE></textarea></form></body></html>\n";
}

namespace {

const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
const std::string kHover =
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;border:#000 "
    "solid 1px;}\r\n";
const std::string kBodyStart = "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

}  // namespace

std::string listPage(const std::vector<std::string>& threadLines) {
  std::string page = kHead + kBodyStart;
  for (const auto& line : threadLines) page += line;
  return page + kEnd;
}

std::string threadLine(const std::string& key, const std::string& title, uint32_t count,
                       const std::string& speedFigure) {
  std::string line = "<a href=\"thread:" + key + "\">" + title + " (" + std::to_string(count);
  if (!speedFigure.empty()) line += "/" + speedFigure;
  return line + ")</a><br>";
}

std::string postPage(const std::vector<ExpectedPost>& posts) {
  std::string page = kHead + kHover + kBodyStart;
  for (const auto& post : posts) {
    page += "[<a href=\"ngid:" + post.id + "\">" + std::to_string(post.number) +
            "<span class=\"popup\">" + post.id + "</span></a>]" + post.body + "<br>\r\n";
  }
  return page + kEnd;
}

std::string postPageOf(uint32_t first, uint32_t last, const std::vector<std::string>& hidden) {
  std::vector<ExpectedPost> posts;
  for (uint32_t n = first; n <= last; ++n) {
    const std::string id = "id" + std::to_string(n % 5);
    bool skip = false;
    for (const auto& h : hidden) skip = skip || h == id;
    if (!skip) posts.push_back({n, id, " post " + std::to_string(n) + " "});
  }
  return postPage(posts);
}

BoardRig::BoardRig(const std::string& boardTitle) {
  settings.menuHost = server.address();
  settings.boardTitle = boardTitle;
  server.setRoute("/bbsmenu.html",
                  menuPage("http://" + server.address() + "/live/", "ホロメキ"_sjis));
  BoardWindows windows;
  windows.browser = &sink;
  windows.listStatus = &listStatus;
  windows.watchStatus = &watchStatus;
  windows.filter = &filter;
  windows.content = &content;
  windows.observer = &observer;
  viewer = std::make_unique<BoardViewer>(settings, host, windows);
  viewer->addTasks(loop);
}

BoardRig::~BoardRig() = default;

void BoardRig::serveThread(const std::string& key, const std::string& dat) {
  const std::string base = key.substr(0, key.find('.'));
  server.setRoute("/live/dat/" + key, dat);
  server.setRoute("/test/read.cgi/live/" + base + "/l1", threadPage(base));
}

void BoardRig::runScript(std::function<void(ScriptTask&)> body) {
  ScriptTask script(loop, std::move(body));
  loop.addTask(&script);
  ASSERT_FALSE(script.start(0));
  loop.run();
}

bool BoardRig::nextPoll(ScriptTask& script) {
  const size_t before = observer.polls.size();
  host.now += host.interval < 30 ? 30 : host.interval;
  return script.waitFor([&] { return observer.polls.size() > before; }, "a poll");
}

bool BoardRig::waitForState(ScriptTask& script, ViewerState state) {
  return script.waitFor([&] { return viewer->state() == state; },
                        std::string("state ") + viewerStateName(state));
}

bool BoardRig::watch(ScriptTask& script, const std::string& key) {
  viewer->searchThreads();
  if (!waitForState(script, ViewerState::ListShown)) return false;
  viewer->openThread(key);
  return waitForWatching(script);
}

bool BoardRig::waitForWatching(ScriptTask& script) {
  // The watch loop starts its clock just after Watching is reached; wait for that too, so a
  // clock the test moves on afterwards counts towards the first poll.
  return script.waitFor(
      [&] { return viewer->state() == ViewerState::Watching && viewer->watchTask().watching; },
      "the watch loop");
}

}  // namespace vexa::testing
