// The keys as the README's key table promises them to a user, pressed on the
// main window: each runs the command its words name, and nothing else.
#include <QKeySequence>
#include <QTest>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FrameFixture.h"
#include "frame/Accelerators.h"

namespace tessiro::test {
namespace {

// What the README's words mean, as command ids.
const std::map<std::string, int>& CommandsByWords() {
  static const std::map<std::string, int> commands = {
      {"Track View", 32944},
      {"Audio Editor", 32945},
      {"Loop Bank", 32946},
      {"play (the view shown)", 32956},
      {"open", 32924},
      {"save the project", 32923},
      {"stop", 32955},
      {"undo", 32779},
      {"redo", 32780},
      {"record", 32959},
      {"cut", 32964},
      {"copy", 32965},
      {"paste", 32966},
      {"delete", 32962},
      {"rewind", 32958},
      {"fast-forward", 32957},
      {"arm", 32947},
      {"mute", 32949},
      {"solo the selected track", 32948},
      {"previous", 32951},
      {"next track or loop", 32952},
      {"the selected track's or loop's properties", 32950},
      {"a page of rows up", 32953},
      {"down", 32954},
      {"edit the selected loop's audio", 32968},
      {"zoom in", 32960},
      {"out", 32961},
      {"back to the view from an edit box", 32889},
      {"the manual", 32921},
  };
  return commands;
}

std::vector<std::string> Split(const std::string& text, const std::string& by) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = text.find(by, from)) != std::string::npos; from = at + by.size()) {
    parts.push_back(text.substr(from, at - from));
  }
  parts.push_back(text.substr(from));
  return parts;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A key as the README writes it ("Ctrl+Page Up", "Ctrl+Numpad +", "Esc").
QKeyCombination KeyOf(std::string written) {
  Qt::KeyboardModifiers extra;
  if (const size_t pad = written.find("Numpad "); pad != std::string::npos) {
    written.erase(pad, 7);
    extra = Qt::KeypadModifier;
  }
  for (const auto& [words, portable] : {std::pair{"Page Up", "PgUp"}, {"Page Down", "PgDown"}, {"Enter", "Return"}}) {
    if (const size_t at = written.find(words); at != std::string::npos) written.replace(at, std::string(words).size(), portable);
  }
  const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(written), QKeySequence::PortableText);
  if (sequence.count() != 1) return QKeyCombination(Qt::Key_unknown);
  return QKeyCombination(sequence[0].keyboardModifiers() | extra, sequence[0].key());
}

struct Promise {
  std::string written;
  QKeyCombination key;
  std::string does;
};

// Each key of the README's key table with the words that say what it does.
std::vector<Promise> ReadmeKeys() {
  std::ifstream readme(TESSIRO_README);
  std::vector<Promise> promises;
  bool inTable = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind("| key | does |", 0) == 0) {
      inTable = true;
      continue;
    }
    if (!inTable) continue;
    if (line.rfind("|", 0) != 0) break;
    if (line.rfind("|---", 0) == 0) continue;
    std::vector<std::string> cells = Split(line.substr(1, line.size() - 2), "|");
    for (size_t c = 0; c + 1 < cells.size(); c += 2) {
      const std::vector<std::string> keys = Split(Trim(cells[c]), ", ");
      const std::vector<std::string> does = Split(Trim(cells[c + 1]), ", ");
      EXPECT_EQ(keys.size(), does.size()) << "a key for each word in: " << line;
      for (size_t k = 0; k < keys.size() && k < does.size(); ++k) promises.push_back({keys[k], KeyOf(keys[k]), does[k]});
    }
  }
  return promises;
}

TEST_F(FrameTest, EveryKeyOfTheReadmeRunsWhatItsWordsSay) {
  CMainFrame& frame = Make(false);
  std::vector<int> ran;
  for (const auto& [words, id] : CommandsByWords()) router.On(id, [&ran, id = id] { ran.push_back(id); });
  // Ids the README does not name record too, so that a key bound to one is seen.
  for (const AcceleratorEntry& entry : AcceleratorTable()) {
    if (!router.IsRouted(entry.id)) router.On(entry.id, [&ran, id = entry.id] { ran.push_back(id); });
  }
  frame.show();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

  const std::vector<Promise> promises = ReadmeKeys();
  ASSERT_GE(promises.size(), 29u) << "the README's key table was found and read";
  for (const Promise& promise : promises) {
    ASSERT_NE(promise.key.key(), Qt::Key_unknown) << promise.written;
    const auto command = CommandsByWords().find(promise.does);
    ASSERT_NE(command, CommandsByWords().end()) << "what does \"" << promise.does << "\" mean?";
    ran.clear();
    QTest::keyClick(&frame, promise.key.key(), promise.key.keyboardModifiers());
    EXPECT_EQ(ran, std::vector<int>{command->second}) << promise.written << " is to " << promise.does;
  }
}

}  // namespace
}  // namespace tessiro::test
